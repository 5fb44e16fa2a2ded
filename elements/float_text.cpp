#include "elements/float_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace quendar {

std::string ShortestFloatText(float v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v < 0 ? "-inf" : "inf";
  const std::string sign = std::signbit(v) ? "-" : "";
  if (v == 0) return std::string(sign).append("0");

  // The fewest significant digits that read back exactly; printf rounds correctly, so
  // these are also the digits nearest the value.
  char buf[48];
  for (int precision = 0; precision < 9; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*e", precision, static_cast<double>(std::fabs(v)));
    if (std::strtof(buf, nullptr) == std::fabs(v)) break;
  }
  std::string digits;
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits += *p;
  const int exponent = std::atoi(p + 1);
  while (digits.size() > 1 && digits.back() == '0')
    digits.pop_back();
  const int n = static_cast<int>(digits.size());

  // Built by appending: GCC 12 at -O3 warns falsely about "literal" + string.
  std::string sci = digits.substr(0, 1);
  if (n > 1) sci.append(".").append(digits, 1, std::string::npos);
  std::snprintf(buf, sizeof buf, "e%c%02d", exponent < 0 ? '-' : '+', std::abs(exponent));
  sci += buf;

  std::string fixed;
  if (exponent < 0) {
    fixed.assign("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
  } else if (exponent + 1 >= n) {
    // A whole number too long for the shortest digits is written out exactly, as
    // to_chars does, rather than padded with zeros.
    std::snprintf(buf, sizeof buf, "%.0f", static_cast<double>(std::fabs(v)));
    fixed = buf;
  } else {
    const auto whole = static_cast<std::size_t>(exponent + 1);
    fixed.assign(digits, 0, whole).append(".").append(digits, whole, std::string::npos);
  }
  return std::string(sign).append(sci.size() < fixed.size() ? sci : fixed);
}

}  // namespace quendar
