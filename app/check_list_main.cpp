#include <cstring>
#include <iostream>

#include "app/check_list.h"

namespace {

int Usage(std::ostream& out, int status) {
  out << "usage: quendar-check-list FILE\n"
         "  Reads a word list exactly as the game does and prints its line ends, the encoding\n"
         "  it is read in and why, and, with line numbers, every line that does not start with\n"
         "  two kanji, repeats, undecodable bytes and notes on text the game does not play.\n"
         "  Exit status 0 when the game can play the list, 1 when it cannot, 2 for bad usage.\n";
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0))
    return Usage(std::cout, 0);
  // An option it does not know is a mistake, not a file name; `./-name` reaches such a file.
  if (argc != 2 || (argv[1][0] == '-' && argv[1][1] != '\0')) return Usage(std::cerr, 2);
  return quendar::CheckWordList(argv[1], std::cout);
}
