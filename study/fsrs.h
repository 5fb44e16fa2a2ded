// The schedule: each compound's memory replayed from its history lines with FSRS-5 and
// its published default parameters, desired retention 0.9.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "study/history.h"

namespace quendar {

struct MemoryState {
  double stability = 0;   // S, in days
  double difficulty = 0;  // D, from 1 to 10
};

// The state after a compound's first graded line.
MemoryState FirstReview(Grade g);
// The state after a later line `days` (fractional) after the one before.
MemoryState NextReview(const MemoryState& m, double days, Grade g);
// The probability of recall `days` after the last review.
double Retrievability(const MemoryState& m, double days);

// A compound as its history leaves it.
struct CompoundSchedule {
  std::string word;
  int lines = 0;
  MemoryState memory;
  std::int64_t last = 0;  // the time of its last line
  std::int64_t due = 0;   // last plus max(1, round(S)) days

  double RetrievabilityAt(std::int64_t now) const;
  bool Known() const { return memory.stability >= 21; }
};

// Every compound of `history` (whose lines are in time order), in the order first met.
std::vector<CompoundSchedule> Schedule(const History& history);

// The same, found by compound.
std::unordered_map<std::string, CompoundSchedule> ScheduleByWord(const History& history);

}  // namespace quendar
