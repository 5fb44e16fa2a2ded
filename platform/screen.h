// One SDL window showing one window of the program: it owns the SDL window, builds the frame
// description at the window's size, and sends the screen only the rectangles that changed since the
// last frame.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "elements/frame.h"
#include "elements/pointer.h"
#include "elements/repaint.h"
#include "elements/runtime.h"
#include "platform/canvas.h"
#include "platform/input.h"
#include "platform/sdl_handles.h"

namespace quendar {

class Screen {
 public:
  // Throws std::runtime_error when SDL cannot open the window or draw in it.
  Screen(Window& model, FontLibrary& fonts, PictureStore& pictures, double scale,
         bool fullscreen = false, SidePanelSource panels = nullptr);

  Window* model() const { return model_; }
  Uint32 id() const { return SDL_GetWindowID(window_.get()); }

  // Maps the window; its first frame is drawn once the desktop has mapped it.
  void Show();
  // The window is on screen, or uncovered: the first time it gets its first frame, later
  // the screen gets back what the window holds.
  void Exposed();
  // Forgets what the screen holds, so the next Draw paints everything (resize, full screen).
  void Invalidate() {
    repaint_.Invalidate();
    painting_.reset();
  }
  // Something other than the runtime may have changed what the window shows (the pointer
  // over the menu bar).
  void Touch() { repaint_.Touch(); }
  // Whether a Draw may find something new: the runtime delivered events since the last
  // frame, or something was touched.
  // Before the window is on screen, until what its first frame needs is ready.
  bool NeedsDraw(std::uint64_t generation) const {
    return (mapped_ || !warm_) && repaint_.Needed(generation);
  }
  enum class DrawResult { Unchanged, Sent, Pending };
  // Draws what changed since the last frame and sends it to the display. Pending: the
  // text, fonts and pictures it needs were not all ready, or a whole window not all drawn
  // and sent, within a few milliseconds; call again after the timers due meanwhile have
  // run. Before the window is mapped it only makes ready what the first frame needs.
  DrawResult Draw(std::uint64_t generation);

  void HandleKey(const SDL_KeyboardEvent& key, Runtime& runtime);
  // Asks once for the full-screen state the last F11 or Esc wanted, if it is not the
  // window's already. Without a window manager SDL waits ~100 ms for a change that never
  // comes, so a burst of presses costs one such wait per turn of the loop, not one each.
  void ApplyFullscreen();
  void MouseMove(int x, int y);
  void MouseLeave();
  void MouseDown(int x, int y);
  // The wheel turned `notches` away from the player (positive) or towards them.
  void Wheel(int notches);
  void MouseUp(int x, int y, Runtime& runtime);

 private:
  void SetIcon();
  bool IsFullscreen() const;
  DrawResult PaintWhole(SDL_Surface* surface, std::uint64_t deadline);
  void Send(const std::vector<PxRect>& areas);
  // The window's size in pixels once it is on screen.
  void SizeToCome(int& w, int& h) const;
  // Window coordinates to output pixels; they differ only where the desktop scales.
  std::pair<int, int> ToOutput(int x, int y) const;

  // The panel beside the window now, and whether the last frame had one: the window grows
  // and shrinks by the panel's width when it comes and goes.
  const SidePanel* Panel() const { return panels_ ? panels_(*model_) : nullptr; }
  void FitPanel(const SidePanel* panel);

  Window* model_;
  PictureStore& pictures_;
  SidePanelSource panels_;
  bool hadPanel_ = false;
  WindowPtr window_;
  SdlCanvas canvas_;
  std::string caption_, icon_;
  Repaint repaint_;  // what the screen holds now
  Frame current_;    // the geometry input is tested against
  bool mapped_ = false;
  bool warm_ = false;                   // what the first frame needs is ready
  std::optional<Frame> painting_;       // a whole frame being drawn a band at a time
  int paintedTo_ = 0;                   // rows of it drawn and sent
  bool fullscreen_;                     // open on the whole screen
  std::optional<bool> wantFullscreen_;  // asked for by a key, not yet applied
  Pointer pointer_;
};

// The scale a window opens at: 1, or on a display denser than about 144 dpi the nearest
// whole scale that still fits in the usable area (windowW × windowH at scale 1).
int PickScale(float dpi, int usableW, int usableH, int windowW, int windowH);

}  // namespace quendar
