// The pictures the layouts name, found in the installed data directory or, for a run from
// the build tree, in the sources. A missing picture is not an error: the box shows its
// background colour and one line on standard error says which file is missing.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "platform/sdl_handles.h"

namespace quendar {

// <directory of the binary>/../share/quendar/pictures, then the source tree's pictures.
std::vector<std::string> DefaultPictureDirs();

class PictureStore {
 public:
  explicit PictureStore(std::vector<std::string> dirs = DefaultPictureDirs());
  ~PictureStore();
  PictureStore(const PictureStore&) = delete;
  PictureStore& operator=(const PictureStore&) = delete;

  // The picture as loaded, owned by the store, or null when it is missing, unreadable,
  // not a PNG, larger than kMaxSide on a side or, given the box it is shown in (pixels at
  // scale 1), far larger than that box (warned about once per file name). Its header is
  // read first, so a picture that claims to be enormous is refused before it is decoded.
  SDL_Surface* Get(const std::string& name, int boxWidth = 0, int boxHeight = 0);

  // The picture scaled down to at most kMaxIconSide on a side, for a window's icon: the
  // window system refuses larger ones and stops the program.
  SDL_Surface* Icon(const std::string& name);

  static constexpr int kMaxSide = 4096;
  static constexpr int kMaxIconSide = 256;
  // "Far larger": more than this many times the box's size on a side.
  static constexpr int kMaxTimesBox = 4;

  const std::vector<std::string>& dirs() const { return dirs_; }

 private:
  std::vector<std::string> dirs_;
  SurfacePtr Load(const std::string& name, int boxWidth, int boxHeight);

  std::map<std::string, SurfacePtr> loaded_;  // null for a picture that failed
  std::map<std::string, SurfacePtr> icons_;
};

}  // namespace quendar
