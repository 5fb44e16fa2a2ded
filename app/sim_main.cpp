// quendar-sim: runs a script against the game's own code on a virtual clock.
#include <fstream>
#include <iostream>
#include <string>

#include "app/driver.h"
#include "app/screenshot.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::cerr << "usage: quendar-sim [SCRIPT]\n";
    return 2;
  }
  std::ifstream file;
  if (argc == 2) {
    file.open(argv[1]);
    if (!file) {
      std::cerr << "quendar-sim: " << argv[1] << ": cannot open the script\n";
      return 2;
    }
  }
  std::istream& in = argc == 2 ? static_cast<std::istream&>(file) : std::cin;
  quendar::Driver driver(std::cout, std::cerr, quendar::MakeScreenshooter());
  std::string line;
  for (int lineNo = 1; quendar::ReadScriptLine(in, line); ++lineNo) {
    if (auto status = driver.RunLine(line, lineNo)) return *status;
  }
  return 0;
}
