#include "platform/desktop.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace quendar {

namespace {

// A positive number, or 0 for anything else.
float Positive(const char* text) {
  if (!text || !*text) return 0;
  char* end = nullptr;
  const float v = std::strtof(text, &end);
  while (*end == ' ' || *end == '\t')
    ++end;
  return *end == '\0' && v > 0 && v < 64 ? v : 0;
}

float XftDpi(const char* resources) {
  for (const char* p = resources; p && *p;) {
    const char* eol = std::strchr(p, '\n');
    const std::string line(p, eol ? static_cast<std::size_t>(eol - p) : std::strlen(p));
    if (line.rfind("Xft.dpi:", 0) == 0) {
      char* end = nullptr;
      const float dpi = std::strtof(line.c_str() + 8, &end);
      if (end != line.c_str() + 8 && dpi >= 24 && dpi <= 2400) return dpi;
    }
    p = eol ? eol + 1 : nullptr;
  }
  return 0;
}

}  // namespace

void PrepareDesktop() {
  setenv("SDL_VIDEO_X11_WMCLASS", kAppId, 0);
  setenv("SDL_VIDEO_WAYLAND_WMCLASS", kAppId, 0);
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
}

float DesktopDpiFrom(const char* gdkScale, const char* qtScaleFactor, const char* xResources,
                     float physical) {
  if (const float s = Positive(gdkScale)) return 96 * s;
  if (const float s = Positive(qtScaleFactor)) return 96 * s;
  if (const float dpi = XftDpi(xResources)) return dpi;
  return physical;
}

float DesktopDpi(float physical) {
  const char* gdk = std::getenv("GDK_SCALE");
  const char* qt = std::getenv("QT_SCALE_FACTOR");
  if (Positive(gdk) || Positive(qt) || !std::getenv("DISPLAY"))
    return DesktopDpiFrom(gdk, qt, nullptr, physical);
  // A connection of our own for one property of the root window: SDL keeps its display
  // to itself, and this runs only when a window opens.
  Display* display = XOpenDisplay(nullptr);
  if (!display) return physical;
  const float dpi = DesktopDpiFrom(nullptr, nullptr, XResourceManagerString(display), physical);
  XCloseDisplay(display);
  return dpi;
}

}  // namespace quendar
