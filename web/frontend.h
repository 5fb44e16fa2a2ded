// The browser front end: the page's clock, Web Audio, and a canvas that executes the frame
// description of the window on show. The page's JavaScript layer (web/page/js/)
// owns the canvas, the sounds and the events; this side owns what they mean.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "elements/frame.h"
#include "elements/pointer.h"
#include "elements/repaint.h"
#include "elements/runtime.h"

namespace quendar {

// performance.now(), in whole milliseconds since the run began, less the time it was held.
class PageClock : public Clock {
 public:
  PageClock();
  std::int64_t Now() const override;
  void Reach(std::int64_t) override {}
  // Stops the clock (the page holds a hand-over until the new window's faces are in) and
  // starts it again where it stopped, so the game sees no gap.
  void Hold(bool on);

 private:
  double start_;
  std::optional<double> heldAt_;
};

// Web Audio through the page: one sound at a time, a new request stops the old one. The
// requests are also remembered, so the page's snapshot lists them as the driver's does.
class PageSound : public SoundService {
 public:
  explicit PageSound(const Clock& clock) : clock_(clock) {}
  void Play(const std::string& file) override;
  const std::vector<SoundRequest>& requests() const { return requests_; }

 private:
  const Clock& clock_;
  std::vector<SoundRequest> requests_;
};

// Text measured by the canvas with the page's web fonts.
class CanvasMetrics : public TextMetrics {
 public:
  int LineHeight(const std::string& face, int px, bool bold) override;
  int Width(std::string_view text, const std::string& face, int px, bool bold) override;
};

// Whether the page's faces hold every character of the frame's text. When not, the page
// fetches what is missing, and the frame waits: no frame is drawn in a stand-in face.
bool FacesReady(const Frame& frame);

// Executes frame commands on the page's canvas, only inside `areas` when given.
void ExecuteOnCanvas(const Frame& frame, const std::vector<PxRect>* areas);

// The driver's screenshot in the page: draws a window's client area at scale 1 on the
// canvas and keeps the picture under `name` for the page's scripts.
void CaptureClientArea(const Window& window, const std::string& name);

// The window on show in the page and the input that reaches it.
class CanvasScreen {
 public:
  explicit CanvasScreen(Runtime& runtime) : runtime_(runtime) {}

  // The window the page shows: the active one, else the last visible one.
  const Window* Shown() const;
  // Repaints what changed since the last call at a backing-store size; true when it drew.
  bool Draw(int outW, int outH, bool force);

  // Pointer input in backing-store pixels. A click is a press and a release on the same
  // element or menu slot, as on the desktop.
  void PointerDown(int x, int y);
  void PointerUp(int x, int y);
  void PointerMove(int x, int y);
  void PointerLeave();

  // The last frame drawn, for the page's scripts to find the menu slots.
  const Frame* last() const { return repaint_.shown(); }
  const Window* lastWindow() const { return lastWindow_; }

 private:
  Runtime& runtime_;
  CanvasMetrics metrics_;
  Repaint repaint_;
  const Window* lastWindow_ = nullptr;
  Pointer pointer_;
};

}  // namespace quendar
