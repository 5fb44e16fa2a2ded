// UTF-8 to Shift-JIS (CP932), for writing word lists as the game expects them.
#pragma once

#include <string>

namespace quendar::test {

// Characters without a CP932 code are dropped.
std::string ToCp932(const std::string& utf8);

}  // namespace quendar::test
