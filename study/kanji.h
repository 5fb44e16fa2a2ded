// Each kanji's meanings for the card a compound of the review opens: read from kanji.tsv,
// which ships beside the word lists (made from KANJIDIC2 by tools/make-kanji).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quendar {

class KanjiTable {
 public:
  // The text of kanji.tsv: "kanji TAB meanings" a line, "#" lines skipped. Lines that are
  // not that (garbage, a line cut off mid-character) are left out and named in problem();
  // `name` is the file as messages give it.
  static KanjiTable Parse(std::string_view text, const std::string& name = "kanji.tsv");
  // Reads the file at `path`; a missing, unreadable, special or oversized file gives an
  // empty table whose problem() says why.
  static KanjiTable Load(const std::string& path);

  // The meanings of one kanji, "" when the table has none.
  const std::string& Meanings(std::string_view kanji) const;
  std::size_t size() const { return meanings_.size(); }
  // What was wrong with the file, in one line naming it; "" for a sound file.
  const std::string& problem() const { return problem_; }

  // kanji.tsv is about 70 KB; anything far larger is not it.
  static constexpr std::size_t kMaxBytes = 4u << 20;
  // A meaning longer than this is cut, so a hostile file cannot swell the card.
  static constexpr std::size_t kMaxMeaningChars = 160;

 private:
  std::unordered_map<std::string, std::string> meanings_;
  std::string problem_;
};

struct KanjiCardEntry {
  std::string kanji;
  std::string meanings;  // "" when the table has none
};

// The card of a compound: each of its first two characters with its meanings.
std::vector<KanjiCardEntry> KanjiCard(const KanjiTable& table, std::string_view compound);

// The card as the page receives it: [{"kanji": "学", "meanings": "study; learning"}, ...].
std::string KanjiCardJson(const std::vector<KanjiCardEntry>& card);

}  // namespace quendar
