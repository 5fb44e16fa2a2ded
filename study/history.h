// The learner's history: one line per compound asked in a run, with when the run ended,
// how it went and the list it came from. Kept across runs as UTF-8 text, so that the
// desktop file, the page's storage and an exported copy are the same lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "study/record.h"

namespace quendar {

inline constexpr std::string_view kHistoryHeader = "# quendar history 1";

// The grades of the schedule: the numbers are FSRS's G.
enum class Grade : std::uint8_t { Again = 1, Hard = 2, Good = 3 };
const char* GradeName(Grade g);

struct HistoryLine {
  std::int64_t time = 0;  // seconds since 1970-01-01T00:00:00Z
  std::string word;
  Grade grade = Grade::Good;
  std::string list;
};

// UTC times as the history writes them, `YYYY-MM-DDTHH:MM:SSZ`; nothing for any other text.
std::string FormatTime(std::int64_t t);
std::optional<std::int64_t> ParseTime(std::string_view text);

// A run's lines: each compound that was ever the target, once, with its worst grade (never
// matched while targeted: again; matched after wrong shots: hard; else good), in the order
// first dealt. Compounds that are not two characters are not compounds and get no line.
std::vector<HistoryLine> RunLines(const std::vector<StudyEntry>& entries, std::int64_t endTime,
                                  const std::string& listName);
// Lines as the file holds them, each ended by LF (no header).
std::string HistoryText(const std::vector<HistoryLine>& lines);
// The name a list goes by in the history: its file name, with nothing that could split a
// field.
std::string HistoryListName(const std::string& path);

struct History {
  std::vector<HistoryLine> lines;  // stably sorted by time
  bool header = false;             // the first line is kHistoryHeader
  std::size_t bad = 0;             // lines that could not be read, skipped
  std::size_t firstBad = 0;        // 1-based number of the first of them
  std::string firstBadWhy;
};

// Reads history text (a UTF-8 byte-order mark and CR LF ends are taken as well). Blank
// lines and `#` comments are passed over; any other line that is not four good fields is
// counted as bad and skipped.
History ParseHistory(std::string_view text);

// One message about the bad lines of `history` read from `name`, or nothing when all read.
std::optional<std::string> BadLinesMessage(const History& history, const std::string& name);

// Merging `incoming` into `existing`: the readable lines of `incoming` not already in
// `existing` byte for byte (nor earlier in `incoming`), in time order, as text to append.
// `added` counts them.
std::string LinesToMerge(std::string_view existing, std::string_view incoming,
                         std::size_t* added = nullptr);

}  // namespace quendar
