#include "app/run_history.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <memory>
#include <vector>

#include "elements/runtime.h"
#include "platform/data_dirs.h"
#include "study/history_file.h"
#include "study/practice.h"

namespace quendar {

RunHistory::RunHistory(const std::string& file, bool off, const std::string& list)
    : defaultPlace_(file.empty()) {
  if (!off)
    path_ =
        file.empty() ? DefaultHistoryPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME")) : file;
  listPath_ = GameDataFiles(list).Find("jyukugo.dat").value_or(list);
}

RunHistory::~RunHistory() {
  if (!practiceFile_.empty()) unlink(practiceFile_.c_str());
}

void RunHistory::ShowProgress(StudyRecord& study) {
  if (path_.empty()) return;
  History history;
  std::optional<std::string> warning;
  if (auto problem = LoadHistory(path_, history, warning)) warning = problem;
  if (warning) {
    if (!warned_) std::cerr << "quendar: " << *warning << std::endl;
    warned_ = true;
    study.SetNotice(*warning);
  }
  if (history.lines.empty()) return;
  auto schedule = std::make_shared<ScheduleMap>(ScheduleByWord(history));
  const auto now = static_cast<std::int64_t>(std::time(nullptr));
  // Counted when the game has read its list: a few thousand look-ups at the hand-over.
  study.OnListRead([schedule, now, &study](const std::vector<std::string>& lines, int count) {
    const std::vector<std::string> listed(
        lines.begin() + 1, lines.begin() + 1 + std::min<std::size_t>(count, lines.size() - 1));
    const ListCounts c = CountList(listed, *schedule, now, 0);
    study.SetProgress({c.dueNow, c.known, c.compounds});
  });
}

bool RunHistory::MakePractice(int lines, std::string& listFile, std::string& error) {
  History history;
  if (!path_.empty()) {
    std::optional<std::string> warning;
    // Without its history the practice is the list's first compounds; play goes on, and
    // the one message says the run will not be kept either.
    if (auto problem = LoadHistory(path_, history, warning)) {
      warning = *problem + "; the run is not kept in the history";
      path_.clear();
    }
    if (warning) {
      std::cerr << "quendar: " << *warning << std::endl;
      warned_ = true;
    }
  }
  Practice practice;
  try {
    practice = ComposePractice(ReadWordListLines(listPath_), ScheduleByWord(history),
                               static_cast<std::int64_t>(std::time(nullptr)), lines, listPath_);
  } catch (const FatalError& e) {
    error = e.what();
    return false;
  }
  if (practice.lines == 0) {
    error = practice.problem;
    return false;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string name = std::string(tmp && *tmp == '/' ? tmp : "/tmp") + "/quendar-practice-XXXXXX";
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  if (fd < 0) {
    error = "cannot write the practice list in " + name.substr(0, name.rfind('/'));
    return false;
  }
  practiceFile_ = buf.data();
  const bool written = write(fd, practice.text.data(), practice.text.size()) ==
                       static_cast<ssize_t>(practice.text.size());
  close(fd);
  if (!written) {
    error = "cannot write the practice list " + practiceFile_;
    return false;
  }
  listFile = practiceFile_;
  return true;
}

void RunHistory::Append(const StudyRecord& study) {
  if (path_.empty() || appended_) return;
  appended_ = true;
  const auto lines = RunLines(study.entries(), static_cast<std::int64_t>(std::time(nullptr)),
                              HistoryListName(listPath_));
  if (lines.empty()) return;
  if (auto problem = AppendHistoryFile(path_, HistoryText(lines), defaultPlace_))
    std::cerr << "quendar: the run is not kept in the history: " << *problem << std::endl;
}

FrontEndHooks RunHistory::Wrap(FrontEndHooks hooks, const StudyRecord& study) {
  auto inner = std::move(hooks.eventsDelivered);
  hooks.eventsDelivered = [this, inner, &study](const Runtime& runtime) {
    if (inner) inner(runtime);
    if (study.ended()) Append(study);
  };
  return hooks;
}

}  // namespace quendar
