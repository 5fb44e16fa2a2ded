#include <iostream>

#include "app/check_list.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: quendar-check-list FILE\n";
    return 2;
  }
  return quendar::CheckWordList(argv[1], std::cout);
}
