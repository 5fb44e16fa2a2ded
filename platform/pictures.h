// The pictures the layouts name, found in the installed data directory or, for a run from
// the build tree, in the sources. A missing picture is not an error: the box shows its
// background colour and one line on standard error says which file is missing.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

namespace quendar {

// <directory of the binary>/../share/quendar/pictures, then the source tree's pictures.
std::vector<std::string> DefaultPictureDirs();

class PictureStore {
 public:
  explicit PictureStore(std::vector<std::string> dirs = DefaultPictureDirs());
  ~PictureStore();
  PictureStore(const PictureStore&) = delete;
  PictureStore& operator=(const PictureStore&) = delete;

  // The picture as loaded, owned by the store, or null when it is missing or unreadable
  // (warned about once per file name).
  SDL_Surface* Get(const std::string& name);

  const std::vector<std::string>& dirs() const { return dirs_; }

 private:
  std::vector<std::string> dirs_;
  std::map<std::string, SDL_Surface*> loaded_;  // null for a picture that failed
};

}  // namespace quendar
