#include "study/practice.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"

namespace quendar {

namespace {

constexpr int kRound = 8;
constexpr std::size_t kMaxListLines = 2000;
constexpr std::int64_t kDay = 86400;

// Each compound of the list once, at its first line, as the index of that line.
template <typename F>
void ForEachCompound(const std::vector<std::string>& lines, F f) {
  std::unordered_set<std::string> seen;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string word = CompoundOf(lines[i]);
    // A TAB or other control among the first two characters is no compound to learn.
    if (CharCount(word) != 2 ||
        std::any_of(word.begin(), word.end(), [](char ch) { return ch >= 0 && ch < 0x20; }))
      continue;
    if (seen.insert(word).second) f(i, word);
  }
}

}  // namespace

std::vector<std::string> ReadWordListLines(const std::string& path) {
  TextFile file;
  file.Open(path, kMaxListLines + 1);
  std::vector<std::string> lines;
  while (!file.Eof()) {
    if (lines.size() == kMaxListLines)
      throw FatalError(path + ": has more than " + std::to_string(kMaxListLines) +
                       " lines; the game reads at most " + std::to_string(kMaxListLines) +
                       " compounds");
    lines.push_back(file.LineInput());
  }
  return lines;
}

std::string CompoundOf(const std::string& line) {
  return CharAt(line, 1) + CharAt(line, 2);
}

Practice ComposePractice(const std::vector<std::string>& lines, const ScheduleMap& schedule,
                         std::int64_t now, int n, const std::string& listName) {
  struct Due {
    double r;
    std::size_t line;
  };
  std::vector<Due> due;
  std::vector<std::size_t> fresh;
  ForEachCompound(lines, [&](std::size_t i, const std::string& word) {
    const auto it = schedule.find(word);
    if (it == schedule.end())
      fresh.push_back(i);
    else if (it->second.due <= now)
      due.push_back({it->second.RetrievabilityAt(now), i});
  });
  std::stable_sort(due.begin(), due.end(), [](const Due& a, const Due& b) { return a.r < b.r; });
  const int available = static_cast<int>(due.size() + fresh.size());
  const int count = available >= n ? n : std::min(n, available) / kRound * kRound;
  Practice p;
  if (count < kRound) {
    p.problem = listName + ": " + std::to_string(available) +
                (available == 1 ? " compound is" : " compounds are") + " due or never met" +
                (n < kRound ? ", and " + std::to_string(n) + " asked for" : "") +
                "; a practice list needs at least 8";
    return p;
  }
  p.text = "\xEF\xBB\xBF";
  auto add = [&](std::size_t i) {
    if (p.lines == count) return;
    p.text += lines[i];
    p.text += "\r\n";
    ++p.lines;
  };
  for (const Due& d : due)
    add(d.line);
  for (std::size_t i : fresh)
    add(i);
  return p;
}

ListCounts CountList(const std::vector<std::string>& lines, const ScheduleMap& schedule,
                     std::int64_t now, int days) {
  ListCounts c;
  c.duePerDay.assign(static_cast<std::size_t>(std::max(days, 0)), 0);
  ForEachCompound(lines, [&](std::size_t, const std::string& word) {
    ++c.compounds;
    const auto it = schedule.find(word);
    if (it == schedule.end()) {
      ++c.neverMet;
      return;
    }
    const CompoundSchedule& s = it->second;
    ++c.met;
    ++(s.Known() ? c.known : c.learning);
    if (s.due <= now) {
      ++c.dueNow;
      return;
    }
    const std::int64_t day = (s.due - now + kDay - 1) / kDay;
    if (day <= days) ++c.duePerDay[static_cast<std::size_t>(day - 1)];
  });
  return c;
}

std::vector<KnownCount> CountsAt(const std::vector<std::string>& lines, const History& history,
                                 const std::vector<std::int64_t>& ends) {
  std::unordered_set<std::string_view> words;
  std::vector<std::string> compounds;
  compounds.reserve(lines.size());
  ForEachCompound(lines, [&](std::size_t, const std::string& word) { compounds.push_back(word); });
  words.insert(compounds.begin(), compounds.end());
  std::unordered_map<std::string_view, CompoundSchedule> state;
  KnownCount now;
  std::vector<KnownCount> out;
  out.reserve(ends.size());
  auto line = history.lines.begin();
  for (const std::int64_t end : ends) {
    // One pass over the lines for all the ends: a year of play is replayed once.
    for (; line != history.lines.end() && line->time <= end; ++line) {
      if (!words.contains(line->word)) continue;
      const auto [it, first] = state.try_emplace(line->word);
      CompoundSchedule& s = it->second;
      if (first) {
        s.memory = FirstReview(line->grade);
      } else {
        --(s.Known() ? now.known : now.learning);
        s.memory =
            NextReview(s.memory, static_cast<double>(line->time - s.last) / kDay, line->grade);
      }
      s.last = line->time;
      ++(s.Known() ? now.known : now.learning);
    }
    out.push_back(now);
  }
  return out;
}

}  // namespace quendar
