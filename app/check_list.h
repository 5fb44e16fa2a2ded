// quendar-check-list: reads a word list exactly as the game does and reports every line
// that would spoil a game.
#pragma once

#include <iosfwd>
#include <string>

namespace quendar {

// Whether a character (one UTF-8 code point) is a kanji, including the iteration mark 々.
bool IsKanji(char32_t cp);

// Prints the problems of the list at `path` to `out` and returns the exit status:
// 0 when the game can play it, 1 when it cannot or the file cannot be read.
int CheckWordList(const std::string& path, std::ostream& out);

}  // namespace quendar
