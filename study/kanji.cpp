#include "study/kanji.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "elements/snapshot.h"
#include "elements/text.h"
#include "elements/textfile.h"

namespace quendar {

namespace {

bool HasControl(std::string_view s) {
  for (unsigned char c : s)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Whether `s` is exactly one character: the key of a line, or a kanji asked about.
bool OneChar(std::string_view s) {
  return !s.empty() && IsValidUtf8(s) && CharCount(s) == 1;
}

}  // namespace

KanjiTable KanjiTable::Parse(std::string_view text, const std::string& name) {
  KanjiTable table;
  std::size_t bad = 0, firstBad = 0;
  ForEachLine(text, [&](std::size_t lineNo, std::string_view line) {
    if (line.empty() || line.front() == '#') return;
    const std::size_t tab = line.find('\t');
    const std::string_view key = line.substr(0, tab);
    const std::string_view meanings =
        tab == std::string_view::npos ? std::string_view() : line.substr(tab + 1);
    if (!OneChar(key) || meanings.empty() || !IsValidUtf8(meanings) || HasControl(meanings)) {
      if (bad++ == 0) firstBad = lineNo;
      return;
    }
    std::string kept = FirstChars(meanings, kMaxMeaningChars);
    if (kept.size() < meanings.size()) kept += "…";
    table.meanings_.insert_or_assign(std::string(key), std::move(kept));
  });
  if (bad)
    table.problem_ = name + ": " + std::to_string(bad) + (bad == 1 ? " line is" : " lines are") +
                     " not \"kanji TAB meanings\" (line " + std::to_string(firstBad) + ")";
  else if (table.meanings_.empty())
    table.problem_ = name + ": holds no kanji";
  return table;
}

KanjiTable KanjiTable::Load(const std::string& path) {
  KanjiTable empty;
  struct stat st {};
  // A pipe or a device is never opened: reading it could block or never end.
  if (stat(path.c_str(), &st) != 0) {
    empty.problem_ =
        path + (errno == ENOENT ? ": file not found"
                                : ": cannot be read: " + std::string(std::strerror(errno)));
    return empty;
  }
  if (!S_ISREG(st.st_mode)) {
    empty.problem_ = path + ": is " + DescribeFileType(st.st_mode) + ", not the kanji table";
    return empty;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxBytes) {
    empty.problem_ = path + ": is " + std::to_string(st.st_size >> 20) +
                     " MiB, far too large for the kanji table";
    return empty;
  }
  std::ifstream in(path, std::ios::binary);
  // No more than stat said, and a byte: a file still growing is not followed.
  std::string text(static_cast<std::size_t>(st.st_size) + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad() || !in.is_open()) {
    empty.problem_ = path + ": cannot be read: " + std::strerror(errno);
    return empty;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  return Parse(text, path);
}

const std::string& KanjiTable::Meanings(std::string_view kanji) const {
  static const std::string none;
  const auto it = meanings_.find(std::string(kanji));
  return it == meanings_.end() ? none : it->second;
}

std::vector<KanjiCardEntry> KanjiCard(const KanjiTable& table, std::string_view compound) {
  std::vector<KanjiCardEntry> card;
  // A field of an own list may be anything: only well-formed characters make a card.
  const std::string word = IsValidUtf8(compound) ? FirstChars(compound, 2) : std::string();
  for (std::size_t pos = 0; pos < word.size();) {
    const std::size_t from = pos;
    NextCodePoint(word, pos);
    std::string kanji = word.substr(from, pos - from);
    if (HasControl(kanji)) continue;
    card.push_back({kanji, table.Meanings(kanji)});
  }
  return card;
}

std::string KanjiCardJson(const std::vector<KanjiCardEntry>& card) {
  std::string out = "[";
  for (const KanjiCardEntry& e : card) {
    if (out.size() > 1) out += ", ";
    out += "{\"kanji\": " + JsonString(e.kanji) + ", \"meanings\": " + JsonString(e.meanings) + "}";
  }
  return out + "]";
}

}  // namespace quendar
