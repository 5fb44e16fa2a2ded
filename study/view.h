// What the learner layer shows, built from the study record once per change: the strip on
// the desktop lays it out and the page only renders its JSON, so both show the same thing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "study/record.h"
#include "study/words.h"

namespace quendar {

// A word of the table with what fills it in.
struct ViewText {
  std::string key;
  std::vector<std::string> args;
};

struct ViewRow {
  int entry = -1;  // index into the record's entries
  std::string word, reading, meaning;
  int wrong = 0;  // wrong shots counted against it: drawn as "×n" beside the reading
  // With an accent: the reading's moras, and per mora 'H' or 'L' (drawn as a line over the
  // high ones, with a tick where the pitch falls).
  std::vector<std::string> moras;
  std::string pitch;
  int accent = -1;
};

struct ViewGroup {
  ReviewGroup group;
  std::string title;  // key of the group's name
  std::vector<ViewRow> rows;
};

struct StudyView {
  enum class Mode { Hint, Play, Review };
  Mode mode = Mode::Hint;
  std::uint64_t revision = 0;  // the record's
  bool shown = false;
  ViewText heading;               // Play: how many matched; Review: its title
  ViewText summary;               // Review: the groups' counts
  ViewRow last;                   // Play: the compound matched last
  std::vector<ViewRow> older;     // Play: the run's other matches, newest first
  std::vector<ViewGroup> groups;  // Review: non-empty groups in order
  ViewText announce;              // what a screen reader hears of the latest change
  std::string notice;             // Hint: a word about the layer itself, as it stands
};

StudyView BuildStudyView(const StudyRecord& record);

// The view as the page receives it: words as keys with their arguments.
std::string ViewJson(const StudyView& view);

// The mark beside a reading: "×n", or "" without wrong shots.
std::string WrongMark(int wrong);

// Text of a row as a learner copies it into a dictionary: "compound TAB reading TAB meaning".
std::string CopyText(const ViewRow& row);

const char* ModeName(StudyView::Mode mode);

}  // namespace quendar
