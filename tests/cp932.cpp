#include "tests/cp932.h"

#include <iconv.h>

namespace quendar::test {

std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932//IGNORE", "UTF-8");
  std::string in = utf8, out(utf8.size() * 2 + 8, '\0');
  char* ip = in.data();
  char* op = out.data();
  std::size_t il = in.size(), ol = out.size();
  iconv(cd, &ip, &il, &op, &ol);
  iconv_close(cd);
  out.resize(out.size() - ol);
  return out;
}

}  // namespace quendar::test
