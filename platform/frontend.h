// The game's front end: one SDL window per visible window of the program, input to the
// runtime, timers on the real clock, and a repaint only when something visible changed.
#pragma once

#include <string>

namespace quendar {

struct FrontEndOptions {
  double scale = 0;  // 0: 1, or a whole multiple on a high-density display
  std::string list;  // the word list named on the command line, "" for the usual lookup
};

// Runs the program from its opening window until it ends. Returns the exit status: 0
// when the player closed it, 1 after a fatal error or with no display to draw on.
int RunGame(const FrontEndOptions& options);

// The scale a window opens at: 1, or on a display denser than about 144 dpi the nearest
// whole scale that still fits in the usable area (windowW × windowH at scale 1).
int PickScale(float dpi, int usableW, int usableH, int windowW, int windowH);

}  // namespace quendar
