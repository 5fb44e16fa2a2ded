// Decoding Shift-JIS (code page 932) is a service of the platform: the C library's iconv
// on the desktop, the browser's own decoder in the browser edition.
#pragma once

#include <string>

namespace quendar {

// Converts one line of Shift-JIS bytes to UTF-8. Bytes that do not decode become U+FFFD;
// `invalid` (never null) is set when that happened.
std::string ShiftJisToUtf8(const std::string& raw, bool* invalid);

}  // namespace quendar
