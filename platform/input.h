// Keys as the desktop gives them, turned into the virtual-key codes the game tests (the
// mouse goes through the Pointer all front ends share).
#pragma once

#include <SDL.h>

namespace quendar {

// The virtual-key code of a key, or 0 for a key the game has no code for. The key's
// layout meaning comes first; letters and digits fall back on their position so they
// work on layouts that type other scripts.
int VirtualKeyCode(SDL_Keycode key, SDL_Scancode scancode);

// What the front end does with a key itself rather than pass to the game.
enum class WindowKey {
  None,
  Consumed,          // the window's alone
  ToggleFullscreen,  // the window's alone
  LeaveFullscreen,   // the window leaves full screen, and the game gets the key too
};
WindowKey WindowKeyFor(SDL_Keycode key, bool repeat);

}  // namespace quendar
