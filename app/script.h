// The driver's script language: one command per line.
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <variant>

namespace quendar {

struct Command {
  enum class Kind {
    None,
    Seed,
    Start,
    Wait,
    Key,
    Click,
    ClickAt,
    Menu,
    Close,
    Set,
    Snapshot,
    Screenshot
  };
  Kind kind = Kind::None;  // None: a blank or comment line
  std::uint64_t seed = 0;
  std::int64_t number = 0;  // wait ms, key code, set value
  int x = 0, y = 0;         // click-at
  std::string name;         // window, element, menu item, variable or file
  int index = -1;           // element or array index, -1 for none
};

struct ParseResult {
  std::optional<Command> command;
  std::string error;  // why the line is malformed, when command is empty
};

// A script line longer than this is malformed; reading keeps no more of it, so an endless
// line (a script from /dev/zero) cannot fill memory.
constexpr std::size_t kMaxScriptLine = 4096;

// The longest `wait`, one hour of virtual time: the most ticks the game's timers can fall
// due in it take well under a second of work, natively and in the page, so no line of a
// script blocks its runner for long. Longer spans are several waits.
constexpr std::int64_t kMaxWaitMs = 3600000;

ParseResult ParseScriptLine(const std::string& line);

// A word of a script line quoted for a message, cut short when it is long.
std::string Quote(const std::string& word);

// Reads one line (without its LF), or only its first kMaxScriptLine + 1 characters when it
// is longer, so that a line too long is seen to be too long without reading it to its
// end. False at the end of the input.
bool ReadScriptLine(std::istream& in, std::string& line);

}  // namespace quendar
