// Input as the desktop gives it, turned into the runtime's events: keys as the virtual-key
// codes the game tests, and mouse presses, releases and hovering against the geometry of
// the frame on screen.
#pragma once

#include <SDL.h>

#include "elements/frame.h"
#include "elements/runtime.h"

namespace quendar {

// The virtual-key code of a key, or 0 for a key the game has no code for. The key's
// layout meaning comes first; letters and digits fall back on their position so they
// work on layouts that type other scripts.
int VirtualKeyCode(SDL_Keycode key, SDL_Scancode scancode);

// What the front end does with a key itself rather than pass to the game.
enum class WindowKey { None, Consumed, ToggleFullscreen };
WindowKey WindowKeyFor(SDL_Keycode key, bool repeat);

// A click is a press and a release on the same thing, as on the desktop the game was
// designed for: the same menu slot, or the same element of the client area.
class Pointer {
 public:
  // Returns whether the hovered menu slot changed (the bar must be drawn again).
  bool Move(const Frame& frame, int x, int y);
  bool Leave();
  void Press(const Frame& frame, const Window& window, int x, int y);
  void Release(const Frame& frame, const Window& window, int x, int y, Runtime& runtime);
  int hover() const { return hover_; }

 private:
  int hover_ = -1;
  int pressedMenu_ = -1;
  bool pressedInClient_ = false;
  const Visual* pressedElement_ = nullptr;  // compared, never used: it may be gone
};

}  // namespace quendar
