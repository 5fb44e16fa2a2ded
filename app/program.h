// The program's windows, as both the game and the driver run them.
#pragma once

#include <memory>
#include <string>

#include "elements/runtime.h"

namespace quendar {

// Registers the opening window "cright" (the start-up window) and the main window "Form1".
void RegisterProgram(Runtime& runtime);

// A window of the program as designed, made in `runtime` without loading it (no
// Form_Load, no files read); null for a name the program has no window by.
std::unique_ptr<Window> MakeWindow(Runtime& runtime, const std::string& name);

}  // namespace quendar
