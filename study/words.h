// Every word the learner layer and the page say, in English and Japanese: the desktop strip
// reads this table, and the page is given the same table, so no text is written twice.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quendar {

enum class Lang { En, Ja };

// "ja" for Japanese, anything else English.
Lang LangNamed(std::string_view name);
const char* LangName(Lang lang);
// The language of a locale value (LC_ALL, LC_MESSAGES or LANG): Japanese for "ja*".
Lang LangOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// The word for `key`, with {0}, {1}… filled from `args`; the key itself when the table has
// no such word, so a missing word shows rather than vanishes.
std::string Words(Lang lang, std::string_view key, const std::vector<std::string>& args = {});

// The whole table as a JavaScript module for the page: `export const WORDS = {en: {...}, ja:
// {...}};`
std::string WordsModule();

}  // namespace quendar
