// The review written to a file the player named: checked before the game starts, written
// whole to a temporary file beside it and renamed over it, so a crash never leaves half a
// review.
#pragma once

#include <optional>
#include <string>

namespace quendar {

// Why the review cannot go to `path` (it names something other than a regular file, or a
// folder that does not exist), or nothing when it can.
std::optional<std::string> ReviewTargetProblem(const std::string& path);

// Writes `text` to `path`; returns what went wrong, or nothing.
std::optional<std::string> WriteReviewFile(const std::string& path, const std::string& text);

}  // namespace quendar
