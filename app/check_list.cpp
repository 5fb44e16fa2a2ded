#include "app/check_list.h"

#include <ostream>
#include <unordered_map>

#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"
#include "game/form1.h"

namespace quendar {

bool IsKanji(char32_t cp) {
  return (cp >= 0x4E00 && cp <= 0x9FFF) || (cp >= 0x3400 && cp <= 0x4DBF) ||
         (cp >= 0xF900 && cp <= 0xFAFF) || (cp >= 0x20000 && cp <= 0x2FA1F) || cp == 0x3005;
}

namespace {

std::string Shown(const std::string& line) {
  std::string s = FirstChars(line, 20);
  if (CharCount(line) > 20) s += "…";
  std::string out;
  for (char c : s)
    out += (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
  return out;
}

// Why a decoded line is not a two-kanji compound, or "" when it is one.
std::string Problem(const std::string& line) {
  if (line.empty()) return "empty line";
  std::size_t pos = 0;
  std::size_t n = 0;
  bool allKanji = true;
  bool iterationFirst = false;
  while (pos < line.size()) {
    const char32_t cp = NextCodePoint(line, pos);
    if (n == 0 && cp == 0x3005) iterationFirst = true;
    allKanji = allKanji && IsKanji(cp);
    ++n;
  }
  if (n == 1) return "only one character";
  if (n > 2) return std::to_string(n) + " characters; only the first two are played";
  if (!allKanji) return "not two kanji";
  if (iterationFirst) return "starts with the iteration mark 々";
  return "";
}

}  // namespace

int CheckWordList(const std::string& path, std::ostream& out) {
  constexpr std::size_t kMax = Form1::kMaxWords;
  RawLines raw;
  try {
    raw = ReadRawLines(path, kMax + 1, TextFile::kMaxChars * 4);
  } catch (const FatalError& e) {
    out << e.what() << "\n";
    return 1;
  }
  if (raw.encoding == TextEncoding::Utf8)
    out << path << ": read as UTF-8" << (raw.hadBom ? " (with a byte-order mark)" : "") << "\n";

  std::unordered_map<std::string, std::size_t> firstSeen;
  std::size_t usable = 0;
  const std::size_t lines = std::min(raw.lines.size(), kMax);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t lineNo = i + 1;
    bool invalid = false;
    const std::string line =
        FirstChars(DecodeLine(raw.lines[i], raw.encoding, &invalid), TextFile::kMaxChars);
    if (invalid) out << path << ":" << lineNo << ": bytes that are not valid Shift-JIS\n";
    const std::string why = Problem(line);
    if (!why.empty()) out << path << ":" << lineNo << ": " << why << ": " << Shown(line) << "\n";
    auto [it, fresh] = firstSeen.emplace(line, lineNo);
    if (!fresh)
      out << path << ":" << lineNo << ": repeats line " << it->second << ": " << Shown(line)
          << "\n";
    else if (why.empty() && !invalid)
      ++usable;
  }

  int status = 0;
  if (raw.lines.size() > kMax) {
    out << path << ": more than " << kMax << " lines; the game refuses to start\n";
    status = 1;
  }
  if (usable < 8) {
    out << path << ": only " << usable
        << " usable lines (two kanji, not repeated); a game needs at least 8\n";
    status = 1;
  }
  if (status == 0)
    out << path << ": " << lines << " lines, " << usable << " usable: the game can play it\n";
  return status;
}

}  // namespace quendar
