// Fuzz target: the driver's script parser and the game behind it, fed arbitrary scripts.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app/driver.h"
#include "app/script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool ready = [] {
    // A small word list in a scratch directory, so that 'start' can load the game.
    char dir[] = "/tmp/quendar-fuzz-script-XXXXXX";
    if (!mkdtemp(dir) || chdir(dir) != 0) std::abort();
    std::ostringstream list;
    const char* words[] = {"\x8e\x52\x90\xec", "\x8a\x77\x8d\x5a", "\x93\x64\x8e\xd4",
                           "\x8e\x9e\x8a\xd4", "\x93\x56\x8b\x43", "\x8f\x68\x91\xe8",
                           "\x91\xe3\x95\x5c", "\x94\x5c\x97\xcd", "\x95\x5c\x8e\xa6"};
    for (int r = 0; r < 3; ++r)
      for (const char* w : words)
        list << w << "\r\n";
    FILE* f = std::fopen("jyukugo.dat", "wb");
    if (!f) std::abort();
    std::fputs(list.str().c_str(), f);
    std::fclose(f);
    return true;
  }();
  (void)ready;
  std::ostringstream out, err;
  quendar::Driver driver(out, err);
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  int lineNo = 0;
  std::int64_t waited = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    const auto parsed = quendar::ParseScriptLine(line);
    if (parsed.command && parsed.command->kind == quendar::Command::Kind::Wait) {
      // Long waits are fine but slow; keep each input to a few virtual minutes.
      waited += parsed.command->number;
      if (waited > 300000) break;
    }
    if (parsed.command && parsed.command->kind == quendar::Command::Kind::Screenshot) continue;
    if (driver.RunLine(line, lineNo)) break;
  }
  return 0;
}
