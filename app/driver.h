// The headless driver: runs the game's own windows on a virtual clock, one script line at
// a time, and prints snapshots.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/engine.h"
#include "app/script.h"
#include "elements/runtime.h"
#include "elements/services.h"

namespace quendar {

class Driver {
 public:
  // Writes a PNG of a window's client area; returns an error text on failure.
  using Screenshooter =
      std::function<std::optional<std::string>(const Window&, const std::string& file)>;

  Driver(std::ostream& out, std::ostream& err, Screenshooter screenshot = nullptr);

  // Runs one script line. Returns the exit status when the driver must stop (1 for a
  // fatal error of the program, 2 for a malformed line), or nothing to go on.
  std::optional<int> RunLine(const std::string& line, int lineNo);

  Runtime& runtime() { return engine_.runtime; }
  const RecordingSound& sound() const { return engine_.sound; }

 private:
  std::optional<int> Fail(int lineNo, const std::string& why);
  std::optional<int> CheckFatal();
  std::optional<int> Set(const Command& c, int lineNo);

  std::ostream& out_;
  std::ostream& err_;
  Screenshooter screenshot_;
  HeadlessEngine engine_;
  Runtime& runtime_ = engine_.runtime;
  bool started_ = false;
  bool seeded_ = false;
};

}  // namespace quendar
