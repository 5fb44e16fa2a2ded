// The warm-up of windows to come: while the loop has time to spare, the fonts and pictures
// the first frame of a window not yet loaded will need are made ready, a slice at a time.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "elements/runtime.h"
#include "platform/canvas.h"

namespace quendar {

// Warm-up work done at one go, when the next tick is further off than this.
inline constexpr Uint64 kWarmSliceMs = 4;

class WindowWarmer {
 public:
  using MakeWindow = std::function<std::unique_ptr<Window>(Runtime&, const std::string&)>;
  WindowWarmer(FontLibrary& fonts, PictureStore& pictures) : canvas_(fonts, pictures) {}

  // One slice of making ready what the first frame of a window of `live` not loaded yet
  // needs: its fonts opened at their sizes and its pictures decoded (they are shared with
  // the screen that will show it). The window is a design made in a runtime of its own, so
  // nothing of the program runs. True while work is left.
  bool Step(Runtime& live, const MakeWindow& make,
            const std::function<double(const Window&)>& initialScale, bool fullscreen);

 private:
  struct WarmRuntime {
    VirtualClock clock;
    Random random{clock};
    RecordingSound sound{clock};
    Runtime runtime{clock, random, sound};
  };
  std::unique_ptr<WarmRuntime> runtime_;
  std::vector<std::string> queue_;
  std::unique_ptr<Window> window_;  // made in runtime_, so destroyed before it
  int w_ = 0, h_ = 0;
  SdlCanvas canvas_;
  bool done_ = false;
};

}  // namespace quendar
