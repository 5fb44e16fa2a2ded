// One-line JSON picture of everything the program holds: each window's variables and
// element properties, and the sound requests so far. The driver prints it; tests read it.
#pragma once

#include <string>
#include <vector>

#include "elements/runtime.h"

namespace quendar {

// `study`, when not empty, is the JSON value of the learner layer's record, written last.
std::string Snapshot(const Runtime& runtime, const std::vector<SoundRequest>& sounds,
                     const std::string& study = "");

// JSON text of a string, quoted and escaped.
std::string JsonString(const std::string& s);

}  // namespace quendar
