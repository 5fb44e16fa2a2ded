#include "study/anki.h"

namespace quendar {

namespace {

// A field Anki would split or misread (a quote, a TAB, a line break, a leading #) goes in
// double quotes with its quotes doubled, as its CSV reader expects.
std::string Field(const std::string& s) {
  if (s.find_first_of("\"\t\r\n") == std::string::npos && (s.empty() || s[0] != '#')) return s;
  std::string out = "\"";
  for (char c : s) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + '"';
}

const char* TagOf(ReviewGroup g) {
  switch (g) {
    case ReviewGroup::NotMatched:
      return "quendar::not-matched";
    case ReviewGroup::MatchedAfterMisses:
      return "quendar::matched-after-misses";
    case ReviewGroup::Matched:
      return "quendar::matched";
    case ReviewGroup::NotReached:
      break;
  }
  return "quendar::not-reached";
}

}  // namespace

std::string AnkiText(const std::vector<StudyEntry>& entries) {
  std::string out =
      "#separator:tab\n#html:false\n#notetype:Basic\n#deck:Quendar\n"
      "#columns:Front\tBack\tTags\n#tags column:3\n";
  for (int i : ReviewOrder(entries)) {
    const StudyEntry& e = entries[static_cast<std::size_t>(i)];
    std::string front;
    // The word as dealt may hold a TAB (a one-character line); the card shows the kanji.
    for (char c : e.word)
      if (static_cast<unsigned char>(c) >= 0x20) front += c;
    if (front.empty()) continue;
    std::string back = e.reading;
    if (e.accent >= 0) back += " [" + std::to_string(e.accent) + "]";
    if (!e.meaning.empty()) back += (back.empty() ? "" : "\n") + e.meaning;
    out += Field(front) + '\t' + Field(back) + '\t' + TagOf(GroupOf(e)) + '\n';
  }
  return out;
}

}  // namespace quendar
