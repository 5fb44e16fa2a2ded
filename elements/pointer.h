// The mouse as every front end gives it, against the geometry of the frame on screen: the
// menu slot under the pointer, and the rule of a click.
#pragma once

#include "elements/frame.h"
#include "elements/runtime.h"

namespace quendar {

// A click is a press and a release on the same thing, as on the desktop the game was
// designed for: the same menu slot, or the same element of the client area. Positions are
// output pixels of `frame`.
class Pointer {
 public:
  // Returns whether the hovered menu slot changed (the bar must be drawn again).
  bool Move(const Frame& frame, int x, int y);
  bool Leave();
  void Press(const Frame& frame, const Window& window, int x, int y);
  void Release(const Frame& frame, const Window& window, int x, int y, Runtime& runtime);
  // Forgets a press, when what it was made on is no longer on screen.
  void Cancel();
  int hover() const { return hover_; }

 private:
  int hover_ = -1;
  int pressedMenu_ = -1;
  bool pressedInClient_ = false;
  const Visual* pressedElement_ = nullptr;  // compared, never used: it may be gone
};

}  // namespace quendar
