// The program on a virtual clock, with sound requests recorded instead of played: what
// the driver, the tests, the soak and the benchmarks run. Only the clock, the screen and
// the sound differ from the game; the windows and their handlers are the same.
#pragma once

#include <cstdint>

#include "elements/runtime.h"
#include "elements/services.h"
#include "study/record.h"

namespace quendar {

class HeadlessEngine {
 public:
  // With `program` false the runtime starts empty, for tests that register windows of
  // their own.
  explicit HeadlessEngine(bool program = true);
  HeadlessEngine(const HeadlessEngine&) = delete;
  HeadlessEngine& operator=(const HeadlessEngine&) = delete;

  // Advances the virtual clock, delivering every tick that falls due.
  void Wait(std::int64_t ms) { runtime.RunTimersUntil(runtime.Now() + ms); }

  VirtualClock clock;
  Random random{clock};
  RecordingSound sound{clock};
  StudyRecord study;
  Runtime runtime{clock, random, sound};
};

}  // namespace quendar
