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

// What the game tells the learner layer, as it tells the sound service what to play: the
// list it read, a compound dealt into a slot, a shot judged against a slot, the game's end.
// A report changes nothing in the game and draws no random numbers.
class StudyService {
 public:
  virtual ~StudyService() = default;
  // Entries 1..n of the list as read (index 0 unused).
  virtual void ListRead(const std::vector<std::string>& lines, int count) = 0;
  // Slot 0 opens a new deal; `line` is the whole list line of the compound.
  virtual void Dealt(int slot, const std::string& first, const std::string& second,
                     const std::string& line) = 0;
  // The top block of `slot` was drawn as the new target.
  virtual void Targeted(int slot) = 0;
  // A shot judged against the top block of `targetSlot`.
  virtual void Judged(int targetSlot, bool match) = 0;
  // The final score panel is on show.
  virtual void Ended() = 0;
  // A key the learner layer keeps for itself (F2): true when it took it.
  virtual bool TakeKey(int keyCode) = 0;
};

// For programs and tests without a learner layer.
class NoStudy : public StudyService {
 public:
  void ListRead(const std::vector<std::string>&, int) override {}
  void Dealt(int, const std::string&, const std::string&, const std::string&) override {}
  void Targeted(int) override {}
  void Judged(int, bool) override {}
  void Ended() override {}
  bool TakeKey(int) override { return false; }
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
