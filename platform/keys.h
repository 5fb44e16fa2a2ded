// SDL keys to the Windows virtual-key codes the game's key handler tests.
#pragma once

#include <SDL.h>

namespace quendar {

// The virtual-key code of a key, or 0 for a key the game has no code for. The key's
// layout meaning comes first; letters and digits fall back on their position so they
// work on layouts that type other scripts.
int VirtualKeyCode(SDL_Keycode key, SDL_Scancode scancode);

}  // namespace quendar
