#include <iconv.h>

#include <cerrno>

#include "elements/shiftjis.h"
#include "elements/text.h"

namespace quendar {

std::string ShiftJisToUtf8(const std::string& raw, bool* invalid) {
  *invalid = false;
  static thread_local struct Converter {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    ~Converter() {
      if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
    }
  } conv;
  std::string out;
  if (conv.cd == reinterpret_cast<iconv_t>(-1)) {
    // No CP932 tables in this C library: keep ASCII, mark the rest undecodable.
    for (unsigned char c : raw) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        AppendUtf8(out, 0xFFFD);
        *invalid = true;
      }
    }
    return out;
  }
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  std::string in = raw;
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char buf[4096];
  while (inLeft > 0) {
    char* outPtr = buf;
    std::size_t outLeft = sizeof buf;
    const std::size_t r = iconv(conv.cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buf, static_cast<std::size_t>(outPtr - buf));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // An invalid or cut-off sequence: one replacement character per bad byte.
      AppendUtf8(out, 0xFFFD);
      *invalid = true;
      ++inPtr;
      --inLeft;
      iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

}  // namespace quendar
