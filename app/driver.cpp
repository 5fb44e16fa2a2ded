#include "app/driver.h"

#include <ostream>

#include "elements/snapshot.h"

namespace quendar {

Driver::Driver(std::ostream& out, std::ostream& err, Screenshooter screenshot)
    : out_(out), err_(err), screenshot_(std::move(screenshot)) {
  runtime_.SetNoticeSink(
      [this](const std::string& line) { err_ << "quendar: " << line << std::endl; });
}

std::optional<int> Driver::Fail(int lineNo, const std::string& why) {
  err_ << "quendar-sim: line " << lineNo << ": " << why << std::endl;
  return 2;
}

std::optional<int> Driver::CheckFatal() {
  if (!runtime_.fatal()) return std::nullopt;
  err_ << "quendar: " << *runtime_.fatal() << std::endl;
  return 1;
}

std::optional<int> Driver::RunLine(const std::string& line, int lineNo) {
  const ParseResult parsed = ParseScriptLine(line);
  if (!parsed.command) return Fail(lineNo, parsed.error);
  const Command& c = *parsed.command;
  using K = Command::Kind;

  const bool needsStart = c.kind == K::Wait || c.kind == K::Key || c.kind == K::Click ||
                          c.kind == K::ClickAt || c.kind == K::Menu || c.kind == K::Close ||
                          c.kind == K::Set || c.kind == K::Screenshot;
  if (needsStart && !started_)
    return Fail(lineNo, "the program has not been started (use 'start')");

  switch (c.kind) {
    case K::None:
      break;
    case K::Seed:
      if (started_) return Fail(lineNo, "'seed' must come before 'start'");
      engine_.random.Seed(c.seed);
      seeded_ = true;
      break;
    case K::Start:
      if (started_) return Fail(lineNo, "the program has already been started");
      started_ = true;
      runtime_.Start(c.name.empty() ? "cright" : c.name);
      return CheckFatal();
    case K::Wait:
      runtime_.RunTimersUntil(runtime_.Now() + c.number);
      return CheckFatal();
    case K::Key:
      runtime_.Key(static_cast<int>(c.number));
      return CheckFatal();
    case K::Click:
      runtime_.Click(c.name, c.index);
      return CheckFatal();
    case K::ClickAt:
      runtime_.ClickAt(c.x + 0.5, c.y + 0.5);  // the middle of the pixel, as a mouse reports it
      return CheckFatal();
    case K::Menu:
      runtime_.Menu(c.name);
      return CheckFatal();
    case K::Close:
      runtime_.Close();
      return CheckFatal();
    case K::Set:
      return Set(c, lineNo);
    case K::Snapshot:
      out_ << Snapshot(runtime_, engine_.sound.requests(), engine_.study.Json())
           << std::endl;  // flushes, for pipes
      break;
    case K::Screenshot: {
      const Window* w = runtime_.Active();
      if (!w) return Fail(lineNo, "no window is open to take a screenshot of");
      if (!screenshot_) return Fail(lineNo, "screenshot is not available in this build");
      // A picture that could not be written is the program's failure, not the script's.
      if (auto error = screenshot_(*w, c.name)) {
        err_ << "quendar-sim: line " << lineNo << ": " << *error << std::endl;
        return 1;
      }
      break;
    }
  }
  return std::nullopt;
}

std::optional<int> Driver::Set(const Command& c, int lineNo) {
  Window* w = runtime_.Get("Form1");
  if (!w) return Fail(lineNo, "the main window Form1 is not loaded");
  const Variable* v = w->FindVariable(c.name);
  if (!v) return Fail(lineNo, "Form1 has no variable named " + Quote(c.name));
  if (v->isArray != (c.index >= 0))
    return Fail(lineNo, v->isArray ? Quote(c.name) + " is an array: give an index"
                                   : Quote(c.name) + " is not an array");
  const std::size_t i = v->isArray ? static_cast<std::size_t>(c.index) : 0;
  if (i >= v->count)
    return Fail(lineNo, "index " + std::to_string(c.index) + " is outside '" + c.name + "'");
  if (c.number < v->min || c.number > v->max)
    return Fail(lineNo, "'" + c.name + "' takes values from " + std::to_string(v->min) + " to " +
                            std::to_string(v->max) + " in play, not " + std::to_string(c.number));
  const std::int16_t before = v->data[i];
  v->data[i] = static_cast<std::int16_t>(c.number);
  if (const std::string problem = w->StateProblem(); !problem.empty()) {
    v->data[i] = before;
    return Fail(lineNo, "cannot set " + c.name + ": " + problem);
  }
  return std::nullopt;
}

}  // namespace quendar
