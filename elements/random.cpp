#include <random>

#include "elements/services.h"

namespace quendar {

namespace {
std::uint64_t Mix(std::uint64_t z) {
  // splitmix64 finaliser: every input bit affects every output bit.
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}
}  // namespace

Random::Random(const Clock& clock) : clock_(clock) {
  std::random_device device;
  state_ = (static_cast<std::uint64_t>(device()) << 32) ^ device() ^
           static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count());
}

void Random::Reseed() {
  state_ = Mix(state_ ^ (static_cast<std::uint64_t>(clock_.Now()) * 0x9E3779B97F4A7C15ull));
}

std::uint64_t Random::Next() {
  state_ += 0x9E3779B97F4A7C15ull;
  return Mix(state_);
}

float Random::Unit() {
  // 24 random bits fill a float's mantissa exactly, so the value is uniform and < 1.
  return static_cast<float>(Next() >> 40) * (1.0f / 16777216.0f);
}

}  // namespace quendar
