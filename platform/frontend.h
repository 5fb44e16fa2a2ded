// The game's front end: one SDL window per visible window of the program, input to the
// runtime, timers on the real clock, and a repaint only where something visible changed.
// It knows windows and elements, never the program by name: app/ describes the program.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "elements/frame.h"
#include "elements/runtime.h"

namespace quendar {

class MixerSound;

struct FrontEndOptions {
  double scale = 0;         // 0: 1, or a whole multiple on a high-density display
  bool fullscreen = false;  // windows open on the whole desktop, as after F11
  std::string list;         // the word list named on the command line, "" for the usual lookup
};

struct ProgramDescription {
  std::function<void(Runtime&)> registerWindows;
  std::string startWindow;
  // A window as designed, without loading it: the front end opens the fonts and decodes
  // the pictures a window to come will need while the loop has time to spare. May be empty.
  std::function<std::unique_ptr<Window>(Runtime&, const std::string&)> makeWindow;
  // What stands beside a window (the study strip); may be empty.
  SidePanelSource sidePanel;
  // Given the game's mixer once it is made, for what the program says beside the game's
  // sounds (the spoken readings). May be empty.
  std::function<void(MixerSound&)> soundMade;
};

// Observers a benchmark installs; each may be empty.
struct FrontEndHooks {
  std::function<void(const Window&)> frameShown;        // a frame of it reached the screen
  std::function<void(const Runtime&)> eventsDelivered;  // after each turn of the loop
  std::function<void(const Runtime&)> finished;         // the program ended
};

// Runs the program from its start window until it ends. Returns the exit status: 0 when
// the player closed it, 1 after a fatal error or with no display to draw on.
int RunGame(const FrontEndOptions& options, const ProgramDescription& program,
            const FrontEndHooks& hooks = {});

}  // namespace quendar
