// Text helpers on UTF-8 strings, where one character is one code point, as the game
// counts characters.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quendar {

// The single character at 1-based position `start` of s, or "" when s is shorter.
std::string CharAt(std::string_view s, int start);

// Number of characters (code points) of a valid UTF-8 string.
std::size_t CharCount(std::string_view s);

// The first `maxChars` characters of a valid UTF-8 string.
std::string FirstChars(std::string_view s, std::size_t maxChars);

// What a byte that is not ASCII starts in well-formed UTF-8: how many bytes the sequence
// has (0 when it can start none), and the bounds of its second byte, which rule out
// overlongs, surrogates and values past U+10FFFF (the others are 0x80..0xBF).
struct Utf8Lead {
  int length = 0;
  unsigned char lo = 0x80, hi = 0xBF;
};
Utf8Lead LeadOf(unsigned char b);

// Whether the bytes are well-formed UTF-8 (no overlongs, surrogates or values past U+10FFFF).
// A validator that is fed a stream piece by piece, so that a huge file need not be held.
class Utf8Validator {
 public:
  void Feed(std::string_view bytes);
  // True when every byte so far was well-formed and no sequence is left open.
  bool Valid() const { return ok_ && pending_ == 0; }
  bool SawNonAscii() const { return nonAscii_; }

 private:
  bool ok_ = true;
  bool nonAscii_ = false;
  int pending_ = 0;          // continuation bytes still expected
  unsigned char lo_ = 0x80;  // bounds for the next continuation byte
  unsigned char hi_ = 0xBF;
};

bool IsValidUtf8(std::string_view bytes);

// Whether a code point is a kanji (the common unified ideographs, and the iteration mark
// 々) or a full-width kana.
bool IsKanjiOrKana(char32_t cp);

// Appends the UTF-8 encoding of a code point.
void AppendUtf8(std::string& out, char32_t cp);

// Decodes the next code point of valid UTF-8 at `pos`, advancing it.
char32_t NextCodePoint(std::string_view s, std::size_t& pos);

// Calls `f(lineNumber, line)` for each line of `text`, without its LF or CR LF.
template <typename F>
void ForEachLine(std::string_view text, F f) {
  std::size_t number = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    f(++number, line);
  }
}

}  // namespace quendar
