// The element runtime: loads and unloads windows, delivers one event at a time (timer
// ticks on a clock, keys, clicks, menu commands, close), and ends the program when no
// window is left or a handler raises a fatal error.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "elements/datafiles.h"
#include "elements/services.h"
#include "elements/window.h"

namespace quendar {

// Raised by a handler for an error that stops the program; the message names the file
// and the problem in plain words.
class FatalError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Runtime {
 public:
  using Factory = std::function<std::unique_ptr<Window>(Runtime&)>;

  Runtime(Clock& clock, Random& random, SoundService& sound);
  ~Runtime();
  Runtime(const Runtime&) = delete;
  Runtime& operator=(const Runtime&) = delete;

  // The program's windows by design name, in the order snapshots list them.
  void Register(const std::string& name, Factory factory);
  const std::vector<std::string>& registered() const { return names_; }

  // Starts the program on a window, as the start-up window. False when it stopped with
  // a fatal error.
  bool Start(const std::string& window);

  // For handlers. Show loads the window first (running its Form_Load to completion),
  // then makes it visible and active. Unload destroys the window with its timers.
  Window& Show(const std::string& name);
  void Unload(Window& window);

  Window* Get(const std::string& name) const;
  Window* Active() const;
  bool Exited() const { return started_ && windows_.empty(); }
  const std::optional<std::string>& fatal() const { return fatal_; }

  // Input, as the front end raises it on the active window. Each returns whether the
  // event reached a handler; input to a disabled window or element is dropped.
  bool Key(int keyCode);
  bool Click(const std::string& label, int index);
  bool ClickAt(double xPx, double yPx);
  bool Menu(const std::string& item);
  // The window manager's close button: unloads the active window even when disabled,
  // so that a finished game never traps the player.
  bool Close();

  // Time. Now() is the clock's reading; RunTimersUntil delivers, in time order, every
  // tick that falls due up to `limit`, each after the previous one has returned.
  std::int64_t Now() const { return clock_.Now(); }
  std::optional<std::int64_t> NextDue() const;
  void RunTimersUntil(std::int64_t limit);

  // Counts delivered events, so a front end can tell when a repaint may be needed.
  std::uint64_t generation() const { return generation_; }

  // How punctually a timer's ticks came, for the benchmarks: ticks delivered, ticks
  // dropped because a tick came late, and the largest lateness.
  struct TickStats {
    std::uint64_t delivered = 0;
    std::uint64_t dropped = 0;
    std::int64_t maxLateMs = 0;
  };
  // Keyed by "Window.Timer".
  const std::vector<std::pair<std::string, TickStats>>& tickStats() const { return tickStats_; }

  // A line for the player that is no error (a list too short to play, say): standard
  // error unless a front end routes it elsewhere.
  void Notice(const std::string& line) const;
  void SetNoticeSink(std::function<void(const std::string&)> sink) { notice_ = std::move(sink); }

  Random& random() { return random_; }
  SoundService& sound() { return sound_; }
  // The learner layer, told what happens in play; nothing listens unless app/ wired one.
  // `study` must outlive the runtime.
  StudyService& study() { return *study_; }
  void SetStudy(StudyService& study) { study_ = &study; }
  // Where handlers find data files by name; the current directory unless the front end
  // set other places. `files` must outlive the runtime.
  const DataFiles& files() const { return *files_; }
  void SetFiles(const DataFiles& files) { files_ = &files; }

  // Timer bookkeeping, used by Timer itself.
  std::uint64_t NextTimerOrder() { return ++timerOrder_; }
  void AddTimer(Timer* t) { timers_.push_back(t); }
  void RemoveTimer(Timer* t);

 private:
  template <typename F>
  bool Dispatch(F&& handler);
  Window* FindLoaded(const std::string& name) const;
  bool IsLive(const Timer* t) const;

  Clock& clock_;
  Random& random_;
  SoundService& sound_;
  StudyService* study_;
  const DataFiles* files_;
  std::vector<std::string> names_;
  std::vector<Factory> factories_;
  std::vector<std::unique_ptr<Window>> windows_;    // loaded, in load order
  std::vector<std::unique_ptr<Window>> graveyard_;  // unloaded during the current event
  Window* active_ = nullptr;
  std::vector<Timer*> timers_;
  std::uint64_t timerOrder_ = 0;
  std::uint64_t generation_ = 0;
  std::optional<std::string> fatal_;
  std::function<void(const std::string&)> notice_;
  std::vector<std::pair<std::string, TickStats>> tickStats_;
  TickStats& StatsFor(Timer& t);
  bool started_ = false;
};

}  // namespace quendar
