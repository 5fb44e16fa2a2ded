// The program's windows, as both the game and the driver run them.
#pragma once

#include "elements/runtime.h"

namespace quendar {

// Registers the opening window "cright" (the start-up window) and the main window "Form1".
void RegisterProgram(Runtime& runtime);

}  // namespace quendar
