// Geometry shared by drawing and input: where a window's client area lies inside an SDL
// window at a given size, and back from a mouse position to the client's own pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "elements/window.h"

namespace quendar {

// Height of the menu bar we draw above a client area, in pixels at scale 1.
inline constexpr int kMenuBarHeightPx = 20;

struct PxRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

PxRect Intersect(const PxRect& a, const PxRect& b);

struct Point {
  double x, y;
};

// How a window is laid out in an output of a given size: the menu bar across the top,
// the client area scaled uniformly and centred in what is left (letterboxed).
struct ViewLayout {
  double scale = 1.0;
  int menuHeight = 0;  // output pixels; 0 without a menu bar
  PxRect client;       // output pixels

  static ViewLayout Fit(int outW, int outH, const Window& window);
  // The output size that shows the window at `scale` with no letterbox.
  static std::pair<int, int> SizeAt(const Window& window, double scale);

  // An output position (a mouse position, pixel centres at +0.5) in client pixels at
  // scale 1, or nothing when it is outside the client area.
  std::optional<Point> ToClient(double x, double y) const;
};

bool HasMenuBar(const Window& window);

// An element's rectangle in output pixels: left, top, width and height each rounded to
// the nearest pixel, then moved to the client area's origin.
PxRect ElementRect(const Window& window, const Visual& v, double scale, int originX, int originY);

// The lines of a caption: split at CR LF, and at a lone CR or LF.
std::vector<std::string_view> SplitLines(std::string_view caption);

// A cheap fingerprint of everything that drawing the window would read, so that the
// front end repaints only when something visible changed.
std::uint64_t DrawSignature(const Window& window);

}  // namespace quendar
