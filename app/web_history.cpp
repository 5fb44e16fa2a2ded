// The page's entry points into the learner's history. The page keeps the lines in the
// browser's storage and hands them here once; the schedule, the counts, the chart's
// figures and practice lists are all worked out here, as the desktop works them out.
#include <emscripten.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "app/web_run.h"
#include "elements/runtime.h"
#include "elements/snapshot.h"
#include "study/practice.h"

using namespace quendar;
using namespace quendar::web;

namespace {

constexpr std::int64_t kDay = 86400;
constexpr int kDueDays = 14;
constexpr int kChartDays = 90;
constexpr int kPracticeLines = 48;

// The history as the page last gave it, read, and its schedule when asked for.
struct PageHistory {
  std::string text;
  History parsed;
  ScheduleMap schedule;
  bool scheduled = false;

  void Set(std::string t) {
    text = std::move(t);
    parsed = ParseHistory(text);
    scheduled = false;
  }
  // Lines the page has just stored: the run's, or an import's, usually the newest.
  void Add(std::string_view more) {
    text += more;
    History h = ParseHistory(more);
    const bool inOrder =
        parsed.lines.empty() || h.lines.empty() || h.lines.front().time >= parsed.lines.back().time;
    for (HistoryLine& l : h.lines)
      parsed.lines.push_back(std::move(l));
    if (!inOrder)
      std::stable_sort(parsed.lines.begin(), parsed.lines.end(),
                       [](const HistoryLine& a, const HistoryLine& b) { return a.time < b.time; });
    scheduled = false;
  }
  const ScheduleMap& ByWord() {
    if (!scheduled) schedule = ScheduleByWord(parsed);
    scheduled = true;
    return schedule;
  }
} history;

std::int64_t Seconds(double ms) {
  return static_cast<std::int64_t>(std::floor(ms / 1000));
}

std::string Field(const char* name, long long v) {
  return JsonString(name) + ":" + std::to_string(v);
}

std::string Ints(const std::vector<int>& v) {
  std::string out = "[";
  for (std::size_t i = 0; i < v.size(); ++i)
    out += (i ? "," : "") + std::to_string(v[i]);
  return out + "]";
}

}  // namespace

extern "C" {

// Where the bytes handed out last are (quendar_bytes_size() of them).
EMSCRIPTEN_KEEPALIVE const char* quendar_history_bytes() {
  return LastBytes().data();
}

// Replaces the engine's copy of the history with `length` bytes of history text. Returns
// {"lines": N, "warning": "..."}; the warning names the first line that could not be read.
EMSCRIPTEN_KEEPALIVE const char* quendar_history_load(const char* bytes, int length,
                                                      const char* name) {
  history.Set(std::string(bytes, static_cast<std::size_t>(length)));
  return Reply("{" + Field("lines", static_cast<long long>(history.parsed.lines.size())) +
               ",\"warning\":" + JsonString(BadLinesMessage(history.parsed, name).value_or("")) +
               "}");
}

// Adds lines the page has just stored (each ended by LF) to the engine's copy.
EMSCRIPTEN_KEEPALIVE void quendar_history_add(const char* bytes, int length) {
  history.Add(std::string_view(bytes, static_cast<std::size_t>(length)));
}

// The run's lines as bytes, as the history keeps them, ended at `nowMs` (the page's clock),
// for the list the page calls `list`; none when no compound was the target.
EMSCRIPTEN_KEEPALIVE const char* quendar_history_run_lines(const char* list, double nowMs) {
  if (!run) return ReplyBytes("");
  return ReplyBytes(
      HistoryText(RunLines(run->study.entries(), Seconds(nowMs), HistoryListName(list))));
}

// Merges a file the player chose: the lines to add go out as bytes; the reply says how many,
// or why nothing was imported (a file whose first line is not the header is no history).
EMSCRIPTEN_KEEPALIVE const char* quendar_history_import(const char* name, const char* bytes,
                                                        int length) {
  const std::string_view incoming(bytes, static_cast<std::size_t>(length));
  const History parsed = ParseHistory(incoming);
  ReplyBytes("");
  if (!parsed.header)
    return Reply("{\"error\":" +
                 JsonString(std::string(name) + ": line 1 is not \"" + std::string(kHistoryHeader) +
                            "\", so this is not a quendar history; nothing was imported") +
                 "}");
  if (parsed.lines.empty() && parsed.bad > 0)
    return Reply("{\"error\":" +
                 JsonString(*BadLinesMessage(parsed, name) + "; nothing was imported") + "}");
  std::size_t added = 0;
  ReplyBytes(LinesToMerge(history.text, incoming, &added));
  return Reply("{" + Field("added", static_cast<long long>(added)) +
               ",\"warning\":" + JsonString(BadLinesMessage(parsed, name).value_or("")) + "}");
}

// The whole history as the desktop's file holds it, header first, in time order.
EMSCRIPTEN_KEEPALIVE const char* quendar_history_export() {
  return ReplyBytes(std::string(kHistoryHeader) + "\n" + HistoryText(history.parsed.lines));
}

// The counts for the word list at `path` at `nowMs`: its compounds met, known, learning,
// due now and never met, those falling due on each of the next 14 days, and known and
// learning at the end of each of the last 90 days, the page's own days (`utcOffsetMin`
// minutes ahead of UTC), today's as of now.
EMSCRIPTEN_KEEPALIVE const char* quendar_history_counts(const char* path, double nowMs,
                                                        int utcOffsetMin) {
  const std::int64_t now = Seconds(nowMs);
  std::vector<std::string> lines;
  try {
    lines = ReadWordListLines(path);
  } catch (const FatalError& e) {
    return Reply("{\"error\":" + JsonString(e.what()) + "}");
  }
  const ListCounts c = CountList(lines, history.ByWord(), now, kDueDays);
  const std::int64_t offset = static_cast<std::int64_t>(utcOffsetMin) * 60;
  const std::int64_t today = (now + offset) / kDay * kDay - offset;
  std::vector<std::int64_t> ends;
  for (int k = kChartDays - 1; k > 0; --k)
    ends.push_back(today - (k - 1) * kDay - 1);
  ends.push_back(now);
  std::vector<int> known, learning;
  for (const KnownCount& d : CountsAt(lines, history.parsed, ends)) {
    known.push_back(d.known);
    learning.push_back(d.learning);
  }
  return Reply("{" + Field("compounds", c.compounds) + "," + Field("met", c.met) + "," +
               Field("known", c.known) + "," + Field("learning", c.learning) + "," +
               Field("dueNow", c.dueNow) + "," + Field("neverMet", c.neverMet) + "," +
               Field("historyLines", static_cast<long long>(history.parsed.lines.size())) +
               ",\"duePerDay\":" + Ints(c.duePerDay) + ",\"knownPerDay\":" + Ints(known) +
               ",\"learningPerDay\":" + Ints(learning) + "}");
}

// A practice list of the word list at `path` (named `name` in messages) at `nowMs`, as
// bytes in the review file's form; the reply is {"lines": N} or {"error": why not}.
EMSCRIPTEN_KEEPALIVE const char* quendar_history_practice(const char* path, const char* name,
                                                          double nowMs) {
  ReplyBytes("");
  Practice p;
  try {
    p = ComposePractice(ReadWordListLines(path), history.ByWord(), Seconds(nowMs), kPracticeLines,
                        name);
  } catch (const FatalError& e) {
    return Reply("{\"error\":" + JsonString(e.what()) + "}");
  }
  if (p.lines == 0) return Reply("{\"error\":" + JsonString(p.problem) + "}");
  ReplyBytes(std::move(p.text));
  return Reply("{" + Field("lines", p.lines) + "}");
}

}  // extern "C"
