// Shared set-up for the engine tests: a scratch directory with a word list, and the
// program running on a virtual clock through the same entry points the front end uses.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/engine.h"
#include "elements/runtime.h"
#include "elements/services.h"
#include "game/form1.h"
#include "tests/cp932.h"

namespace quendar::test {

// A scratch directory that is the working directory while the object lives.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  void Write(const std::string& name, const std::string& bytes) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path previous_;
};

// `count` distinct two-kanji compounds, as UTF-8.
std::vector<std::string> SampleWords(int count);

// Shift-JIS lines, each ended with CR LF.
std::string WordFile(const std::vector<std::string>& words);

class Program {
 public:
  // Writes jyukugo.dat from `words` (unless `writeList` is false) and starts the program,
  // on Form1 directly or on the opening window.
  explicit Program(const std::vector<std::string>& words, std::uint64_t seed = 1,
                   const std::string& startWindow = "Form1", bool writeList = true);

  Runtime& rt() { return engine_.runtime; }
  ScratchDir& dir() { return dir_; }
  Form1& form();  // the main window; fails the test when it is not loaded
  bool started() const { return started_; }
  void Wait(std::int64_t ms) { engine_.Wait(ms); }
  // Waits on the virtual clock, tick by tick, until the condition holds (at most `limitMs`).
  template <typename Pred>
  bool WaitUntil(Pred pred, std::int64_t limitMs) {
    const std::int64_t end = rt().Now() + limitMs;
    while (!pred()) {
      if (rt().Now() >= end || rt().Exited()) return false;
      Wait(1);
    }
    return true;
  }
  const std::vector<SoundRequest>& sounds() const { return engine_.sound.requests(); }
  StudyRecord& study() { return engine_.study; }

 private:
  ScratchDir dir_;
  HeadlessEngine engine_;
  bool started_ = false;
};

// Fires at the target (right) or beside it (wrong) and waits until the shot is judged.
void Shoot(Program& p, bool right);

}  // namespace quendar::test
