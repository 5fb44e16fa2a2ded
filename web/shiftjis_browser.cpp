// Shift-JIS in the browser: its TextDecoder("shift_jis") is code page 932, which the C
// library's iconv under emscripten does not know.
#include <emscripten.h>

#include <cstdlib>

#include "elements/shiftjis.h"

namespace quendar {

namespace {

// clang-format off
EM_JS(char*, js_decode_shift_jis, (const char* bytes, int length, int* outLength), {
  const text = new TextDecoder("shift_jis").decode(HEAPU8.subarray(bytes, bytes + length));
  const size = lengthBytesUTF8(text) + 1;
  const out = _malloc(size);
  HEAP32[outLength >> 2] = stringToUTF8(text, out, size);
  return out;
});
// clang-format on

}  // namespace

std::string ShiftJisToUtf8(const std::string& raw, bool* invalid) {
  int length = 0;
  char* decoded = js_decode_shift_jis(raw.data(), static_cast<int>(raw.size()), &length);
  std::string out(decoded, static_cast<std::size_t>(length));
  std::free(decoded);
  // Shift-JIS has no U+FFFD of its own, so any in the result stands for undecodable bytes.
  *invalid = out.find("\xEF\xBF\xBD") != std::string::npos;
  return out;
}

}  // namespace quendar
