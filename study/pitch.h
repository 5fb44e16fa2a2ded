// The pitch accent of a reading: its moras, and which of them are high. A list line's fourth
// column gives the accent as a number: 0 for a flat word, n for a fall after the n-th mora.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quendar {

// The reading's moras: a small ゃ, ゅ, ょ (and the other small vowels) joins the kana before
// it; っ, ー and ん are moras of their own.
std::vector<std::string> Moras(std::string_view reading);

// The accent a column gives for a reading: a number from 0 to the reading's moras, or -1
// for none (an empty column, not a number, or past the last mora).
int AccentOf(std::string_view column, std::string_view reading);

// Per mora, whether it is high ('H') or low ('L'), in Tokyo pitch: a flat word rises after
// its first mora and stays; accent 1 starts high and falls; accent n rises after the first
// mora and falls after the n-th. "" for no accent.
std::string PitchPattern(int accent, std::size_t moras);

}  // namespace quendar
