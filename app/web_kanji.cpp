// The page's entry points for the kanji card: the page hands over kanji.tsv once, when the
// first card opens, and asks for a compound's card. The engine reads the table, so the page
// and the desktop share one reader and its handling of a bad file.
#include <emscripten.h>

#include <string_view>

#include "app/web_run.h"
#include "study/kanji.h"

using namespace quendar;
using namespace quendar::web;

namespace {

KanjiTable kanjiTable;

}  // namespace

extern "C" {

// Reads the bytes of kanji.tsv (none when it could not be fetched); returns what was wrong
// with it, or "".
EMSCRIPTEN_KEEPALIVE const char* quendar_kanji_load(const char* bytes, int length) {
  kanjiTable =
      KanjiTable::Parse(std::string_view(bytes, length > 0 ? static_cast<std::size_t>(length) : 0));
  return Reply(kanjiTable.problem());
}

// The card of a compound as JSON: [{"kanji": "学", "meanings": "study; …"}, …].
EMSCRIPTEN_KEEPALIVE const char* quendar_kanji_card(const char* compound) {
  return Reply(KanjiCardJson(KanjiCard(kanjiTable, compound)));
}

}  // extern "C"
