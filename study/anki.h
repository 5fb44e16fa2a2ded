// The run as a file for Anki's text import: its own header lines tell Anki the separator,
// the note type, the deck and which column holds the tags, so the default Basic note type
// takes it with no remapping: the compound on the front, the reading and meaning on the
// back, the result as a tag.
#pragma once

#include <string>
#include <vector>

#include "study/record.h"

namespace quendar {

std::string AnkiText(const std::vector<StudyEntry>& entries);

}  // namespace quendar
