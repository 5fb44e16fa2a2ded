// Prints the learner layer's table of words as the page's module (run by the web build).
#include <iostream>

#include "study/words.h"

int main() {
  std::cout << quendar::WordsModule();
  return 0;
}
