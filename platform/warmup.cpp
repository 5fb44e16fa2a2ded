#include "platform/warmup.h"

#include <tuple>

#include "elements/frame.h"

namespace quendar {

bool WindowWarmer::Step(Runtime& live, const MakeWindow& make,
                        const std::function<double(const Window&)>& initialScale, bool fullscreen) {
  if (!make || done_) return false;
  if (!runtime_) {
    runtime_ = std::make_unique<WarmRuntime>();
    for (const auto& name : live.registered())
      if (!live.Get(name)) queue_.push_back(name);
  }
  if (!queue_.empty()) {
    if (!window_) {
      window_ = make(runtime_->runtime, queue_.front());
      if (!window_) {
        queue_.erase(queue_.begin());
        return true;
      }
      // The size its screen will open at, found once: the scale asks the desktop.
      std::tie(w_, h_) = WindowSizeAt(*window_, initialScale(*window_));
      SDL_DisplayMode mode;
      if (fullscreen && SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        w_ = mode.w;
        h_ = mode.h;
      }
      return true;
    }
    if (!live.Get(queue_.front())) {
      const std::uint64_t deadline = SDL_GetTicks64() + kWarmSliceMs;
      SlicedMetrics metrics(canvas_, deadline);
      const Frame frame = BuildWindowFrame(*window_, w_, h_, -1, metrics);
      if (!metrics.complete() || !canvas_.Prepare(frame, deadline)) return true;
    }
    window_.reset();
    queue_.erase(queue_.begin());
    return true;
  }
  runtime_.reset();
  done_ = true;
  return false;
}

}  // namespace quendar
