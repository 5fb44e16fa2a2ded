#include "elements/basics.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace quendar {

Color PaletteColor(int n) {
  static constexpr Color kPalette[16] = {
      0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0,
      0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
  };
  return kPalette[static_cast<unsigned>(n) & 15u];
}

std::int16_t CInt16(double value) {
  if (std::isnan(value)) return 0;
  // nearbyint honours the current rounding mode, which is round-to-nearest-even by default.
  const double r = std::nearbyint(value);
  if (r <= std::numeric_limits<std::int16_t>::min())
    return std::numeric_limits<std::int16_t>::min();
  if (r >= std::numeric_limits<std::int16_t>::max())
    return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(r);
}

std::int16_t Saturate16(long value) {
  if (value < std::numeric_limits<std::int16_t>::min())
    return std::numeric_limits<std::int16_t>::min();
  if (value > std::numeric_limits<std::int16_t>::max())
    return std::numeric_limits<std::int16_t>::max();
  return static_cast<std::int16_t>(value);
}

double Floor(double x) {
  return std::floor(x);
}

std::string NumberText(long value) {
  return std::to_string(value);
}

std::string ColorText(Color c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%06X", static_cast<unsigned>(c & 0xFFFFFFu));
  return buf;
}

}  // namespace quendar
