#include "study/pitch.h"

#include <charconv>

#include "elements/text.h"

namespace quendar {

namespace {

bool JoinsThePrevious(char32_t c) {
  switch (c) {
    case U'ゃ':
    case U'ゅ':
    case U'ょ':
    case U'ぁ':
    case U'ぃ':
    case U'ぅ':
    case U'ぇ':
    case U'ぉ':
    case U'ゎ':
    case U'ャ':
    case U'ュ':
    case U'ョ':
    case U'ァ':
    case U'ィ':
    case U'ゥ':
    case U'ェ':
    case U'ォ':
    case U'ヮ':
      return true;
    default:
      return false;
  }
}

}  // namespace

std::vector<std::string> Moras(std::string_view reading) {
  std::vector<std::string> moras;
  for (std::size_t i = 0; i < reading.size();) {
    const std::size_t start = i;
    const char32_t c = NextCodePoint(reading, i);
    if (JoinsThePrevious(c) && !moras.empty())
      moras.back().append(reading.substr(start, i - start));
    else
      moras.emplace_back(reading.substr(start, i - start));
  }
  return moras;
}

int AccentOf(std::string_view column, std::string_view reading) {
  if (column.empty() || column.size() > 2) return -1;
  int n = -1;
  const auto [end, error] = std::from_chars(column.data(), column.data() + column.size(), n);
  if (error != std::errc() || end != column.data() + column.size() || n < 0) return -1;
  return static_cast<std::size_t>(n) <= Moras(reading).size() ? n : -1;
}

std::string PitchPattern(int accent, std::size_t moras) {
  if (accent < 0 || moras == 0) return {};
  std::string p(moras, 'L');
  for (std::size_t i = 0; i < moras; ++i) {
    const auto m = static_cast<int>(i) + 1;
    const bool high = accent == 1 ? m == 1 : (m > 1 && (accent == 0 || m <= accent));
    if (high) p[i] = 'H';
  }
  return p;
}

}  // namespace quendar
