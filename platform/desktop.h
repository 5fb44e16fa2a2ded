// What the game takes from the desktop it runs on: the application id its windows carry,
// so docks tie them to the menu entry, the scale the desktop asks for, and full screen.
#pragma once

#include <SDL.h>

namespace quendar {

// The desktop entry's name without .desktop; the windows' class and Wayland app id.
inline constexpr const char* kAppId = "io.github.quendar.Quendar";

// Before SDL starts: names the windows' class after the desktop entry (unless the user
// chose another through SDL's own variables) and keeps a full-screen window up when it
// loses focus, since the game goes on meanwhile.
void PrepareDesktop();

// The dots per inch the desktop asks windows to be drawn at: GDK_SCALE, then
// QT_SCALE_FACTOR (each times 96), then Xft.dpi of the X resources; `physical` when none
// of them says, as many monitors and virtual displays report no true size.
float DesktopDpi(float physical);
float DesktopDpiFrom(const char* gdkScale, const char* qtScaleFactor, const char* xResources,
                     float physical);

}  // namespace quendar
