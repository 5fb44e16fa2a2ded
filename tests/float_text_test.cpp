// The snapshot's numbers must read exactly as std::to_chars writes them, in the builds
// whose standard library has no floating-point to_chars too.
#include "elements/float_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <random>

namespace quendar {
namespace {

std::string ToChars(float v) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

TEST(FloatText, MatchesToCharsOnGameValuesAndRandomBitPatterns) {
  std::vector<float> values = {
      0.0f,   -0.0f,    292.5f,      292.0f,     0.1f,          1e-7f,           1e6f,
      1e5f,   10000.0f, 123456.0f,   1234567.0f, 3.4028235e38f, 1.17549435e-38f, 1e-45f,
      -2.75f, 0.5f,     16777216.0f, 1e15f,      12345678.0f};
  // Positions and sizes on the designed grid: whole units, halves and quarters.
  for (int i = -4000; i <= 40000; ++i)
    values.push_back(static_cast<float>(i) / 4.0f);
  std::mt19937 gen(7);
  for (int i = 0; i < 200000; ++i) {
    std::uint32_t bits = gen();
    float f;
    std::memcpy(&f, &bits, sizeof f);
    if (std::isfinite(f)) values.push_back(f);
  }
  int mismatches = 0;
  for (float v : values) {
    if (ShortestFloatText(v) != ToChars(v) && ++mismatches <= 5)
      ADD_FAILURE() << ToChars(v) << " printed as " << ShortestFloatText(v);
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace quendar
