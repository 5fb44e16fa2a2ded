// Where the game finds its data files by name (the word list and the two sounds): a list
// of directories tried in order, each name on its own, and optionally a file named on the
// command line that stands in for the word list. The game asks for names; only this
// service knows paths, so the driver keeps to the current directory and tests can point
// the game at directories of their own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "elements/textfile.h"

namespace quendar {

struct DataDir {
  std::string path;   // "" is the current directory: its files are opened by bare name
  std::string label;  // how an error message names it
};

class DataFiles {
 public:
  // The current directory only, as quendar-sim reads its files.
  DataFiles();
  explicit DataFiles(std::vector<DataDir> dirs);

  // Makes `name` mean the file at `path`, wherever the directories are.
  void Assign(const std::string& name, const std::string& path, const std::string& why);

  // Makes `name` mean lines read already (a file the page streamed through the reader);
  // Find then answers `label`, the name its messages give it.
  void Provide(const std::string& name, const std::string& label,
               std::shared_ptr<const RawLines> lines);
  const RawLines* Provided(const std::string& name) const;

  // The path to open for `name`: its assigned file, or the first directory that holds an
  // entry of that name (a directory or unreadable file there still counts, so that its
  // own error is reported rather than skipped over). Nothing when it is nowhere.
  std::optional<std::string> Find(const std::string& name) const;

  // The error for a name Find could not place: where it looked, in order, and what to do.
  std::string NotFound(const std::string& name) const;

  const std::vector<DataDir>& dirs() const { return dirs_; }

 private:
  struct Assigned {
    std::string name, path, why;
  };
  std::vector<DataDir> dirs_;
  std::vector<Assigned> assigned_;
  struct Given {
    std::string name, label;
    std::shared_ptr<const RawLines> lines;
  };
  std::vector<Given> provided_;
};

// The game's directories, in order: the current directory, `$XDG_DATA_HOME/quendar`
// (`$HOME/.local/share/quendar` when XDG_DATA_HOME is unset, empty or relative, as the
// base-directory rules say), then `installed` unless it is empty. Environment values are
// passed in, null when unset.
std::vector<DataDir> GameDataDirs(const char* xdgDataHome, const char* home,
                                  const std::string& installed);

// The shipped lists by the names the command line accepts.
struct ShippedList {
  const char* name;
  const char* file;
};
inline constexpr ShippedList kShippedLists[] = {{"default", "jyukugo.dat"},
                                                {"elementary", "jyukugo-elementary.dat"},
                                                {"joyo", "jyukugo-joyo.dat"}};

// The file of a shipped list named `name`, or null when it is no such name.
const char* ShippedListFile(const std::string& name);

}  // namespace quendar
