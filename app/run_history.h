// The game's side of the learner's history: where it is kept, a practice list composed
// from it before play, and the run's lines appended once when the run ends.
#pragma once

#include <optional>
#include <string>

#include "platform/frontend.h"
#include "study/record.h"

namespace quendar {

class RunHistory {
 public:
  // `file`: --history FILE, "" for the usual place; `off`: --no-history. `list` is the word
  // list as the command line names it ("" for the usual lookup).
  RunHistory(const std::string& file, bool off, const std::string& list);
  ~RunHistory();
  RunHistory(const RunHistory&) = delete;
  RunHistory& operator=(const RunHistory&) = delete;

  // Composes a practice list of `lines` lines from the list and the history and writes it
  // to a file of its own for the game to play; returns that file, or why there is none.
  bool MakePractice(int lines, std::string& listFile, std::string& error);

  // Reads the history once, before play: when it holds anything, the strip says before the
  // first match how many of the list are due and known; when it cannot be read, the strip
  // says so once, as standard error does.
  void ShowProgress(StudyRecord& study);

  // Appends the run's lines unless that was done already; not on a fall tick's path, so it
  // is called after a turn of the loop and once more after the loop.
  void Append(const StudyRecord& study);

  // The front end's hooks, with the append after each turn once the game has ended.
  FrontEndHooks Wrap(FrontEndHooks hooks, const StudyRecord& study);

 private:
  std::string path_;      // "" when no history is kept
  bool defaultPlace_;     // the usual place, whose folder is made when missing
  std::string listPath_;  // the list the run's compounds come from
  std::string practiceFile_;
  bool appended_ = false;
  bool warned_ = false;  // the history's problem was said once on standard error
};

}  // namespace quendar
