// Fuzz target: the history reader, the schedule and the practice list, fed arbitrary file
// contents as the history.
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "elements/text.h"
#include "study/fsrs.h"
#include "study/practice.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const quendar::History h = quendar::ParseHistory(text);
  // Read lines are in time order and write back as lines that read the same.
  for (std::size_t i = 1; i < h.lines.size(); ++i)
    if (h.lines[i - 1].time > h.lines[i].time) __builtin_trap();
  const quendar::History again = quendar::ParseHistory(quendar::HistoryText(h.lines));
  if (again.bad != 0 || again.lines.size() != h.lines.size()) __builtin_trap();
  if (h.bad > 0 && !quendar::IsValidUtf8(*quendar::BadLinesMessage(h, "history.tsv")))
    __builtin_trap();
  // Whatever the times, the schedule stays finite and in range.
  std::vector<std::string> list;
  for (const quendar::CompoundSchedule& c : quendar::Schedule(h)) {
    const double r = c.RetrievabilityAt(h.lines.empty() ? 0 : h.lines.front().time);
    if (!(c.memory.stability >= 0.01 && c.memory.stability <= 36500) ||
        !(c.memory.difficulty >= 1 && c.memory.difficulty <= 10) || !(r >= 0 && r <= 1))
      __builtin_trap();
    list.push_back(c.word + "\tよみ");
  }
  const auto schedule = quendar::ScheduleByWord(h);
  const quendar::Practice p = quendar::ComposePractice(list, schedule, 0, 48, "list");
  if (p.lines % 8 != 0 && p.lines != 48) __builtin_trap();
  // Merging a history into itself adds nothing.
  if (!quendar::LinesToMerge(text, text).empty()) __builtin_trap();
  return 0;
}
