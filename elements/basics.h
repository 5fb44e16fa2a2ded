// Small value types and numeric rules shared by every window: 16-bit counters,
// half-to-even rounding, the 16-colour palette and caption text of numbers.
#pragma once

#include <cstdint>
#include <string>

namespace quendar {

using Color = std::uint32_t;  // 0xRRGGBB

// The desktop's system colours that the layouts name.
inline constexpr Color kWindowColor = 0xFFFFFF;
inline constexpr Color kWindowTextColor = 0x000000;

// The classic 16-colour text-mode palette, n = 0..15; other n wrap into range.
Color PaletteColor(int n);

// Converts to a 16-bit integer, rounding to nearest with halves to even; values beyond
// the 16-bit range saturate rather than wrap.
std::int16_t CInt16(double value);

// Clamps a wide intermediate result into the 16-bit range.
std::int16_t Saturate16(long value);

// The largest integer not greater than x.
double Floor(double x);

// Decimal text of a number as captions show it: a minus sign when negative, no blank.
std::string NumberText(long value);

// "#RRGGBB".
std::string ColorText(Color c);

}  // namespace quendar
