// quendar: the game, on the SDL front end.
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "app/bench_stats.h"
#include "app/program.h"
#include "platform/frontend.h"

namespace {

int Usage(std::ostream& out, int status) {
  out << "usage: quendar [--scale N] [--fullscreen]\n"
         "  Plays Quendar with jyukugo.dat, seikai2.wav and matigai.wav from the current\n"
         "  directory.\n"
         "  --scale N     open the windows N times their designed size (default: 1, or a\n"
         "                whole multiple on a high-density display)\n"
         "  --fullscreen  open the windows on the whole screen (F11 toggles it)\n";
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  quendar::FrontEndOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-h" || arg == "--help") return Usage(std::cout, 0);
    if (arg == "--scale" && i + 1 < argc) {
      char* end = nullptr;
      options.scale = std::strtod(argv[++i], &end);
      if (*end != '\0' || !(options.scale >= 0.25 && options.scale <= 8)) {
        std::cerr << "quendar: --scale wants a number from 0.25 to 8, not " << argv[i] << '\n';
        return 2;
      }
      continue;
    }
    if (arg == "--fullscreen") {
      options.fullscreen = true;
      continue;
    }
    std::cerr << "quendar: unknown argument " << arg << '\n';
    return Usage(std::cerr, 2);
  }
  return quendar::RunGame(options, {quendar::RegisterProgram, "cright"},
                          quendar::BenchStatsHooks());
}
