// quendar-sim: runs a script against the game's own code on a virtual clock.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

#include "app/driver.h"
#include "app/screenshot.h"

namespace {

int Usage(const std::string& problem) {
  if (!problem.empty()) std::cerr << "quendar-sim: " << problem << '\n';
  std::cerr << "usage: quendar-sim [SCRIPT]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2) return Usage("");
  std::ifstream file;
  if (argc == 2) {
    // A directory opens as a stream on Linux and only fails when read.
    std::error_code ec;
    if (std::filesystem::is_directory(argv[1], ec))
      return Usage(std::string(argv[1]) + ": is a directory, not a script");
    file.open(argv[1]);
    if (!file) {
      std::cerr << "quendar-sim: " << argv[1] << ": cannot open the script\n";
      return 2;
    }
  }
  std::istream& in = argc == 2 ? static_cast<std::istream&>(file) : std::cin;
  quendar::Driver driver(std::cout, std::cerr, quendar::MakeScreenshooter());
  std::string line;
  int lineNo = 1;
  try {
    for (; quendar::ReadScriptLine(in, line); ++lineNo) {
      if (auto status = driver.RunLine(line, lineNo)) return *status;
    }
  } catch (const std::ios_base::failure& e) {
    std::cerr << "quendar-sim: line " << lineNo << ": cannot read the script (" << e.what()
              << ")\n";
    return 2;
  }
  return 0;
}
