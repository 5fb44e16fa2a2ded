// Shortest decimal text that reads back as the same single-precision value, in the form
// std::to_chars gives it (fixed or scientific, whichever is shorter, fixed on a tie). Not
// every standard library we build with has the floating-point to_chars.
#pragma once

#include <string>

namespace quendar {

std::string ShortestFloatText(float v);

}  // namespace quendar
