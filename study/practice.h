// Practice lists and progress counts: a word list seen through the learner's history.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "study/fsrs.h"

namespace quendar {

using ScheduleMap = std::unordered_map<std::string, CompoundSchedule>;

// The lines of the word list at `path`, decoded, read as the game reads them (at most 2000);
// throws FatalError naming the file when the game could not read it either.
std::vector<std::string> ReadWordListLines(const std::string& path);

// The compound a list line plays: its first two characters.
std::string CompoundOf(const std::string& line);

struct Practice {
  std::string text;  // the word list, as the review file is written; "" when refused
  int lines = 0;
  std::string problem;  // why there is none, naming `listName`
};

// From `lines` (a word list), the compounds due at `now`, lowest retrievability first (ties
// in list order), then those never met, in list order: `n` lines, or the largest multiple
// of 8 not over `n` that there are; each line copied whole, a compound's first line only.
// Fewer than 8: refused, with the reason.
Practice ComposePractice(const std::vector<std::string>& lines, const ScheduleMap& schedule,
                         std::int64_t now, int n, const std::string& listName);

struct ListCounts {
  int compounds = 0;  // distinct compounds of the list
  int met = 0, learning = 0, known = 0, dueNow = 0, neverMet = 0;
  // Compounds falling due on day k after `now` (k from 1): later than now + (k-1) days and
  // no later than now + k days.
  std::vector<int> duePerDay;
};

ListCounts CountList(const std::vector<std::string>& lines, const ScheduleMap& schedule,
                     std::int64_t now, int days);

// The list's compounds known and learning as the history stood at each of `ends` (times in
// increasing order): its lines up to each end replayed, as Schedule replays them all.
struct KnownCount {
  int known = 0, learning = 0;
};
std::vector<KnownCount> CountsAt(const std::vector<std::string>& lines, const History& history,
                                 const std::vector<std::int64_t>& ends);

}  // namespace quendar
