// The history as the desktop keeps it: one file, read whole, appended to in one write
// under a lock, so that a crash loses at most the run being written and two games ending
// at once never mix their lines.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quendar {

// `$XDG_DATA_HOME/quendar/history.tsv` (`$HOME/.local/share/quendar/history.tsv` when
// XDG_DATA_HOME is unset, empty or relative); "" when neither says where. Environment values
// are passed in, null when unset.
std::string DefaultHistoryPath(const char* xdgDataHome, const char* home);

// Far more than a lifetime of play; a larger file is not read.
constexpr std::uint64_t kMaxHistoryBytes = 512u << 20;

// Reads the whole history at `path` into `text`; a missing file is an empty history.
// Returns what is wrong instead when the path is not a regular file (never waiting on a
// pipe), cannot be read, or is over kMaxHistoryBytes.
std::optional<std::string> ReadHistoryFile(const std::string& path, std::string& text);

struct History;
// ReadHistoryFile, then ParseHistory: `warning` gets the message on lines that could not be
// read, if any. Returns what kept the file from being read at all.
std::optional<std::string> LoadHistory(const std::string& path, History& history,
                                       std::optional<std::string>& warning);

// Appends `lines` (history lines, each ended by LF) to `path` in one write under an
// exclusive lock, and syncs it: the header first when the file is new or empty, and a LF
// first when its last line was cut short. When anything fails the file is cut back to its
// size before, and the reason is returned. `makeFolder` creates the missing folders.
std::optional<std::string> AppendHistoryFile(const std::string& path, const std::string& lines,
                                             bool makeFolder = false);

}  // namespace quendar
