// What the page's faces must hold before the game can draw a deal: the page fetches the
// Mincho slices with these characters first, while the opening plays.
#include <emscripten.h>

#include <set>
#include <string>

#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"
#include "game/form1.h"

using namespace quendar;

extern "C" {

// The characters the next deal can put on the field from the list in `dir`: the first and
// second character of every compound the game reads there, each once, in list order. ""
// when there is no list to read (the run itself says why).
EMSCRIPTEN_KEEPALIVE const char* quendar_deal_characters(const char* dir) {
  static std::string chars;
  chars.clear();
  try {
    TextFile file;
    file.Open(std::string(dir) + "/" + Form1::kWordFile, Form1::kMaxWords + 1);
    std::set<std::string> seen;
    for (int n = 0; n < Form1::kMaxWords && !file.Eof(); ++n) {
      const std::string line = file.LineInput();
      for (const int at : {1, 2})
        if (std::string c = CharAt(line, at); !c.empty() && seen.insert(c).second) chars += c;
    }
  } catch (const FatalError&) {
    chars.clear();
  }
  return chars.c_str();
}

}  // extern "C"
