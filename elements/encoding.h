// How the reader decides between the two encodings a word list may be in: which bytes of
// a reading are not UTF-8, and how much a reading looks like Japanese text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "elements/textfile.h"

namespace quendar {

// Checks the lines of the UTF-8 reading as they finish: where the first byte that is not
// UTF-8 is, and how much of the non-ASCII text is.
struct Utf8Census {
  std::optional<RawLines::Position> firstBad;
  std::size_t goodSequences = 0, badBytes = 0;
  bool nonAscii = false;

  // `cut`: the line was cut at the byte cap, so a character cut in two at its end is no
  // bad byte.
  void Scan(const std::string& line, std::size_t lineNo, bool cut);
};

// How much a reading looks like Japanese: one point for each kanji or kana, one off for
// every other non-ASCII character (replacement characters, half-width kana, rare symbols),
// which a wrong reading of Japanese bytes is full of.
long JapaneseScore(const std::vector<std::string>& lines, TextEncoding encoding);

}  // namespace quendar
