// The driver's script language: one command per line.
#pragma once

#include <cstdint>
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

ParseResult ParseScriptLine(const std::string& line);

}  // namespace quendar
