// quendar: the game, on the SDL front end.
#include <iostream>

#include "app/bench_stats.h"
#include "app/game_args.h"
#include "app/program.h"
#include "platform/frontend.h"

int main(int argc, char** argv) {
  const quendar::GameArgs args = quendar::ParseGameArgs(argc, argv);
  switch (args.action) {
    case quendar::GameArgs::Action::Help:
      std::cout << quendar::GameUsage();
      return 0;
    case quendar::GameArgs::Action::Version:
      std::cout << quendar::GameVersion();
      return 0;
    case quendar::GameArgs::Action::Error:
      std::cerr << "quendar: " << args.error << '\n' << quendar::GameUsage();
      return 2;
    case quendar::GameArgs::Action::Play:
      break;
  }
  quendar::FrontEndOptions options;
  options.scale = args.scale;
  options.list = args.list;
  options.fullscreen = args.fullscreen;
  return quendar::RunGame(options, {quendar::RegisterProgram, "cright", quendar::MakeWindow},
                          quendar::BenchStatsHooks());
}
