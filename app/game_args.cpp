#include "app/game_args.h"

#include <cstdlib>

namespace quendar {

namespace {

GameArgs Fail(std::string why) {
  GameArgs a;
  a.action = GameArgs::Action::Error;
  a.error = std::move(why);
  return a;
}

}  // namespace

GameArgs ParseGameArgs(int argc, const char* const* argv) {
  GameArgs args;
  bool optionsEnd = false;
  auto setList = [&](const std::string& list) {
    if (!args.list.empty()) return false;
    args.list = list;
    return true;
  };
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    // An option with a value, as "--name VALUE" or "--name=VALUE"; a missing value is "".
    std::string value;
    auto valued = [&](const std::string& name) {
      if (arg == name) {
        if (i + 1 < argc) value = argv[++i];
        return true;
      }
      if (!arg.starts_with(name + "=")) return false;
      value = arg.substr(name.size() + 1);
      return true;
    };
    if (!optionsEnd && arg.size() > 1 && arg[0] == '-') {
      if (arg == "--") {
        optionsEnd = true;
      } else if (arg == "-h" || arg == "--help") {
        args.action = GameArgs::Action::Help;
        return args;
      } else if (arg == "--fullscreen") {
        args.fullscreen = true;
      } else if (arg == "--no-study") {
        args.study = false;
      } else if (arg == "--no-voice") {
        args.voice = false;
      } else if (valued("--review")) {
        if (value.empty()) return Fail("--review wants a file to write the review to");
        args.review = value;
      } else if (valued("--anki")) {
        if (value.empty()) return Fail("--anki wants a file to write the cards to");
        args.anki = value;
      } else if (valued("--lang")) {
        if (value != "en" && value != "ja") return Fail("--lang wants en or ja");
        args.lang = value;
      } else if (valued("--history")) {
        if (value.empty()) return Fail("--history wants a history file");
        args.history = value;
      } else if (arg == "--no-history") {
        args.noHistory = true;
      } else if (arg == "--practice") {
        args.practice = true;
      } else if (arg == "--version") {
        args.action = GameArgs::Action::Version;
        return args;
      } else if (valued("--list")) {
        if (value.empty()) return Fail("--list wants a word list");
        if (!setList(value)) return Fail("only one word list can be played at a time");
      } else if (valued("--scale")) {
        char* end = nullptr;
        args.scale = std::strtod(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !(args.scale >= 0.25 && args.scale <= 8))
          return Fail("--scale wants a number from 0.25 to 8" +
                      (value.empty() ? std::string() : ", not " + value));
      } else {
        return Fail("unknown option " + arg);
      }
      continue;
    }
    if (arg.empty()) return Fail("an empty word list name");
    if (!setList(arg)) return Fail("only one word list can be played at a time");
  }
  return args;
}

std::string GameUsage() {
  return "usage: quendar [--scale N] [--fullscreen] [--no-study] [--no-voice] [--lang en|ja]\n"
         "               [--review FILE] [--anki FILE] [--history FILE | --no-history]\n"
         "               [--practice] [[--list] LIST]\n"
         "Plays Quendar, a game for practising two-kanji compounds.\n"
         "\n"
         "  LIST, --list LIST  play this word list: a file, or a shipped list by name:\n"
         "                     default (2000 common compounds), elementary (kanji taught\n"
         "                     in elementary school) or joyo (all Jōyō kanji)\n"
         "  --scale N          open the windows N times their designed size (default: 1,\n"
         "                     or a whole multiple on a high-density display or desktop)\n"
         "  --fullscreen       open the windows on the whole screen (F11 toggles it)\n"
         "  --no-study         start without the study strip (F2 shows and hides it)\n"
         "  --no-voice         start without the spoken readings (F3 switches them on)\n"
         "  --review FILE      when the game ends, and again on closing, write the run's\n"
         "                     review to FILE: compound, reading, meaning and result,\n"
         "                     TAB-separated UTF-8, a word list itself\n"
         "  --anki FILE        write the run to FILE, like --review, as cards for Anki's\n"
         "                     text import: the compound on the front, the reading and\n"
         "                     meaning on the back, the result as a tag\n"
         "  --lang en|ja       the study strip's language (default: from LC_ALL,\n"
         "                     LC_MESSAGES or LANG; Japanese for ja*, else English)\n"
         "  --practice         play 48 compounds of the list chosen from the history: those\n"
         "                     due for review, weakest first, then those never met\n"
         "  --history FILE     keep the learner's history in FILE instead of\n"
         "                     $XDG_DATA_HOME/quendar/history.tsv\n"
         "  --no-history       neither read nor add to the history\n"
         "  --help             show this help\n"
         "  --version          show the version\n"
         "\n"
         "Without LIST the game plays jyukugo.dat from the first of these that has one:\n"
         "the current directory, $XDG_DATA_HOME/quendar (~/.local/share/quendar), and the\n"
         "installed data directory, which holds the shipped lists. The sounds seikai2.wav\n"
         "and matigai.wav are looked up in the same places, each on its own.\n"
         "F11 switches full screen on and off; Esc leaves it. F2 shows and hides the\n"
         "study strip: the readings and meanings of matched compounds, and at the end\n"
         "a review of the run. After the chime of a match the compound's reading is\n"
         "spoken (a click on it in the strip says it again); F3 switches that off and on.\n";
}

std::string GameVersion() {
  return std::string("quendar ") + QUENDAR_VERSION + "\n";
}

}  // namespace quendar
