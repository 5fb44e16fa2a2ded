// The study strip beside the field: the compound matched last, large, with its reading and
// meaning, and the run's matches below it, newest first; at the end, the review.
#pragma once

#include <string>

#include "elements/frame.h"
#include "study/record.h"

namespace quendar {

// About 40 % of the field's 580 pixels.
inline constexpr int kStripWidthPx = 232;

// Lays the record out at scale 1 for a client area `heightPx` tall; the frame builder
// scales it with the field and fits its text.
void BuildStrip(const StudyRecord& record, int heightPx, SidePanel& panel);

// The strip for the window on show: the main window's, while the record says it is shown.
// Rebuilt only when the record changed.
class StudyStrip {
 public:
  // The strip stands beside the window named `beside`.
  StudyStrip(const StudyRecord& record, std::string beside)
      : record_(record), beside_(std::move(beside)) {}
  const SidePanel* For(const Window& window);

 private:
  const StudyRecord& record_;
  std::string beside_;
  SidePanel panel_;
  std::uint64_t builtRevision_ = ~0ull;
};

}  // namespace quendar
