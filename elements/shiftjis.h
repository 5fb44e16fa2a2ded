// The decoders of a word list's lines, one for every shell, so that the desktop, the driver
// and the page read any bytes alike: Shift-JIS and UTF-8 as the WHATWG Encoding Standard
// decodes them (what browsers do), each undecodable sequence becoming U+FFFD.
#pragma once

#include <cstddef>
#include <limits>
#include <string>
#include <string_view>

namespace quendar {

constexpr std::size_t kAllChars = std::numeric_limits<std::size_t>::max();

// Shift_JIS: ASCII and 0x80 as themselves, half-width katakana, index jis0208 and the
// user-defined range. A two-byte sequence that maps to nothing is one U+FFFD, and its
// second byte, when ASCII, is read again as a character of its own. Decoding stops after
// `maxChars` characters; `invalid` (never null) is set when a U+FFFD was produced.
std::string ShiftJisToUtf8(std::string_view raw, bool* invalid, std::size_t maxChars = kAllChars);

// UTF-8: each maximal part of an ill-formed sequence is one U+FFFD, the rest as it is.
std::string Utf8WithReplacements(std::string_view raw, bool* invalid,
                                 std::size_t maxChars = kAllChars);

}  // namespace quendar
