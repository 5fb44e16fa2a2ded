// Services the windows use besides their elements: the clock, random numbers and sound.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace quendar {

class Clock {
 public:
  virtual ~Clock() = default;
  // Milliseconds since the clock was made.
  virtual std::int64_t Now() const = 0;
  // Called by the scheduler before it delivers a tick due at t. A virtual clock jumps
  // there; a real clock has got there on its own.
  virtual void Reach(std::int64_t t) = 0;
};

class VirtualClock : public Clock {
 public:
  std::int64_t Now() const override { return now_; }
  void Reach(std::int64_t t) override {
    if (t > now_) now_ = t;
  }

 private:
  std::int64_t now_ = 0;
};

class SteadyClock : public Clock {
 public:
  std::int64_t Now() const override {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start_)
        .count();
  }
  void Reach(std::int64_t) override {}

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// Uniform random numbers that the game re-seeds from the clock before many single draws.
// Re-seeding mixes the clock reading into the running state instead of replacing it, so
// draws keep varying while the clock stands still, and a fixed seed on a virtual clock
// replays a whole run exactly.
class Random {
 public:
  explicit Random(const Clock& clock);
  void Seed(std::uint64_t seed) { state_ = seed; }
  void Reseed();
  // Single-precision value uniformly distributed in [0, 1).
  float Unit();

 private:
  std::uint64_t Next();
  const Clock& clock_;
  std::uint64_t state_;
};

// Plays a WAV file by name, asynchronously; a new request stops the one still playing.
class SoundService {
 public:
  virtual ~SoundService() = default;
  virtual void Play(const std::string& file) = 0;
};

struct SoundRequest {
  std::int64_t t;
  std::string file;
};

// The driver's back end: remembers every request with its time and plays nothing.
class RecordingSound : public SoundService {
 public:
  explicit RecordingSound(const Clock& clock) : clock_(clock) {}
  void Play(const std::string& file) override { requests_.push_back({clock_.Now(), file}); }
  const std::vector<SoundRequest>& requests() const { return requests_; }

 private:
  const Clock& clock_;
  std::vector<SoundRequest> requests_;
};

}  // namespace quendar
