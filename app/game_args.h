// The command line of `quendar`: which word list to play and at what scale, or help and
// version text.
#pragma once

#include <string>

namespace quendar {

struct GameArgs {
  enum class Action { Play, Help, Version, Error };
  Action action = Action::Play;
  std::string list;  // "" for the usual lookup of jyukugo.dat
  double scale = 0;  // 0: pick one for the display
  bool fullscreen = false;
  bool study = true;   // the study strip beside the field, for an annotated list
  bool voice = true;   // matched compounds' readings spoken (F3 switches it)
  std::string review;  // where the run's review is written, "" for nowhere
  std::string anki;    // where the run's cards for Anki are written, "" for nowhere
  std::string lang;    // "en" or "ja"; "" for the locale's
  std::string error;   // what is wrong with the command line, for Action::Error

  // The learner's history: its file ("" for the usual place), or none at all; and a
  // practice list composed from it and the word list, played instead of the whole list.
  std::string history;
  bool noHistory = false;
  bool practice = false;
};

GameArgs ParseGameArgs(int argc, const char* const* argv);

std::string GameUsage();
std::string GameVersion();

}  // namespace quendar
