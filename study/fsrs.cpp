#include "study/fsrs.h"

#include <algorithm>
#include <cmath>

namespace quendar {

namespace {

constexpr double kW[19] = {0.40255, 1.18385, 3.173,  15.69105, 7.1949, 0.5345, 1.4604,
                           0.0046,  1.54575, 0.1192, 1.01925,  1.9395, 0.11,   0.29605,
                           2.2698,  0.2315,  2.9898, 0.51655,  0.6621};
constexpr double kDecay = -0.5;
constexpr double kFactor = 19.0 / 81.0;
constexpr double kDay = 86400;

double InitialDifficulty(double g) {
  return kW[4] - std::exp(kW[5] * (g - 1)) + 1;
}

double Clamp(double v, double lo, double hi) {
  return std::min(std::max(v, lo), hi);
}

double Forgetting(double days, double s) {
  // A line dated after the moment asked about counts as just now, not as a negative age.
  // DECAY is -1/2: a square root, several times cheaper than pow over a year of lines.
  static_assert(kDecay == -0.5);
  return 1 / std::sqrt(1 + kFactor * std::max(days, 0.0) / s);
}

}  // namespace

MemoryState FirstReview(Grade g) {
  const int G = static_cast<int>(g);
  return {kW[G - 1], Clamp(InitialDifficulty(G), 1, 10)};
}

MemoryState NextReview(const MemoryState& m, double days, Grade g) {
  const double G = static_cast<int>(g);
  const double S = m.stability, D = m.difficulty;
  double s;
  if (days < 1) {
    s = S * std::exp(kW[17] * (G - 3 + kW[18]));
  } else {
    const double R = Forgetting(days, S);
    if (g == Grade::Again) {
      s = std::min(kW[11] * std::pow(D, -kW[12]) * (std::pow(S + 1, kW[13]) - 1) *
                       std::exp(kW[14] * (1 - R)),
                   S);
    } else {
      const double h = g == Grade::Hard ? kW[15] : 1;
      static const double kGrowth = std::exp(kW[8]);
      s = S * (1 + kGrowth * (11 - D) * std::pow(S, -kW[9]) * (std::exp(kW[10] * (1 - R)) - 1) * h);
    }
  }
  static const double kMeanDifficulty = kW[7] * InitialDifficulty(4);
  const double d = kMeanDifficulty + (1 - kW[7]) * (D - kW[6] * (G - 3) * (10 - D) / 9);
  return {Clamp(s, 0.01, 36500), Clamp(d, 1, 10)};
}

double Retrievability(const MemoryState& m, double days) {
  return Forgetting(days, m.stability);
}

double CompoundSchedule::RetrievabilityAt(std::int64_t now) const {
  return Retrievability(memory, static_cast<double>(now - last) / kDay);
}

std::vector<CompoundSchedule> Schedule(const History& history) {
  std::vector<CompoundSchedule> out;
  std::unordered_map<std::string_view, std::size_t> at;
  at.reserve(4096);
  for (const HistoryLine& l : history.lines) {
    const auto [it, added] = at.try_emplace(l.word, out.size());
    if (added) {
      out.push_back({l.word, 1, FirstReview(l.grade), l.time, 0});
      continue;
    }
    CompoundSchedule& c = out[it->second];
    c.memory = NextReview(c.memory, static_cast<double>(l.time - c.last) / kDay, l.grade);
    c.last = l.time;
    ++c.lines;
  }
  for (CompoundSchedule& c : out) {
    const double days = std::max(1.0, std::round(c.memory.stability));
    c.due = c.last + static_cast<std::int64_t>(days) * static_cast<std::int64_t>(kDay);
  }
  return out;
}

std::unordered_map<std::string, CompoundSchedule> ScheduleByWord(const History& history) {
  std::unordered_map<std::string, CompoundSchedule> out;
  for (CompoundSchedule& c : Schedule(history)) {
    std::string word = c.word;
    out.emplace(std::move(word), std::move(c));
  }
  return out;
}

}  // namespace quendar
