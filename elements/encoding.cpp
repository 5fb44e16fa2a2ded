#include "elements/encoding.h"

#include "elements/text.h"

namespace quendar {

void Utf8Census::Scan(const std::string& line, std::size_t lineNo, bool cut) {
  std::size_t i = 0;
  while (i < line.size()) {
    const auto b = static_cast<unsigned char>(line[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    nonAscii = true;
    const Utf8Lead lead = LeadOf(b);
    const auto len = static_cast<std::size_t>(lead.length);
    std::size_t k = 1;
    for (; len && k < len && i + k < line.size(); ++k) {
      const auto c = static_cast<unsigned char>(line[i + k]);
      if (c < (k == 1 ? lead.lo : 0x80) || c > (k == 1 ? lead.hi : 0xBF)) break;
    }
    if (len && k == len) {
      ++goodSequences;
      i += len;
    } else if (len && i + k == line.size() && cut) {
      return;  // a character cut in two by the line cap, not a bad byte
    } else {
      ++badBytes;
      if (!firstBad) firstBad = RawLines::Position{lineNo, i + 1};
      ++i;
    }
  }
}

// How much a reading looks like Japanese: one point for each kanji or kana, one off for
// every other non-ASCII character (replacement characters, half-width kana, rare symbols),
// which a wrong reading of Japanese bytes is full of.
long JapaneseScore(const std::vector<std::string>& lines, TextEncoding encoding) {
  long score = 0;
  for (const auto& raw : lines) {
    const std::string text = DecodeLine(raw, encoding);
    std::size_t pos = 0;
    while (pos < text.size()) {
      const char32_t cp = NextCodePoint(text, pos);
      if (IsKanjiOrKana(cp))
        ++score;
      else if (cp >= 0x80)
        --score;
    }
  }
  return score;
}

}  // namespace quendar
