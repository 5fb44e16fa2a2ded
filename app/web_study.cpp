// The page's entry points into the learner layer: the study view the panel renders, and
// the run's files as bytes.
#include <emscripten.h>

#include "app/web_run.h"
#include "game/form1.h"
#include "study/anki.h"
#include "study/view.h"

using namespace quendar;
using namespace quendar::web;

extern "C" {

// Changes whenever what the panel shows may have changed.
EMSCRIPTEN_KEEPALIVE int quendar_study_revision() {
  return run ? static_cast<int>(run->study.revision() & 0x7FFFFFFF) : -1;
}

// The study view as JSON: its words are keys of the table the page was built with.
EMSCRIPTEN_KEEPALIVE const char* quendar_study_view() {
  return Reply(run ? ViewJson(BuildStudyView(run->study)) : "null");
}

// The run's files, as bytes: 0 the review (a word list with a BOM), 1 the compounds to
// play again ("" when fewer than a round), 2 the cards for Anki.
EMSCRIPTEN_KEEPALIVE const char* quendar_study_file(int kind) {
  if (!run || run->study.entries().empty()) return ReplyBytes("");
  const auto& entries = run->study.entries();
  if (kind == 1) return ReplyBytes(AgainText(entries, Form1::kSlots));
  if (kind == 2) return ReplyBytes(AnkiText(entries));
  return ReplyBytes(ReviewText(entries));
}

}  // extern "C"
