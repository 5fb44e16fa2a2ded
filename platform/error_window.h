// Why the game cannot start, told in a window of its own: the message, an OK button, and
// Enter or Esc to close it. Drawn with SDL_ttf in any font fontconfig can find, since the
// message may be that the Japanese ones are missing, and since SDL's own message box needs
// zenity or X core fonts that many desktops lack.
#pragma once

#include <string>

namespace quendar {

// Shows `message` and returns once the player has closed the window; false when no such
// window could be shown. SDL's video must be running.
bool ShowErrorWindow(const std::string& message);

// The error window, or SDL's message box when that cannot be shown. Standard error is
// the caller's: it always gets the message.
void ShowFatalError(const std::string& message);

// The window's title, for tests that look for it.
inline constexpr const char* kErrorWindowTitle = "Quendar: cannot start";

}  // namespace quendar
