// The review written to a file the player named: checked before the game starts, written
// whole to a temporary file beside it and renamed over it, so a crash never leaves half a
// review.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quendar {

// A file the game reads in this run, and how a message names it ("the word list being
// played"), so the review can never be written over it.
struct ReadFile {
  std::string path, what;
};

// Why the review cannot go to `path`, or nothing when it can: it names something other
// than a regular file, a folder that does not exist, a folder where no file can be
// created (the temporary file is tried there), or one of `read` (the same device and
// inode, or the same path once resolved).
std::optional<std::string> ReviewTargetProblem(const std::string& path,
                                               const std::vector<ReadFile>& read = {});

// Writes `text` to `path`, keeping the mode of a file that is there already; returns what
// went wrong, or nothing.
std::optional<std::string> WriteReviewFile(const std::string& path, const std::string& text);

}  // namespace quendar
