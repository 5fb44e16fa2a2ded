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

// Why a decoded line cannot be played as a two-kanji compound, or "" when it can. The game
// plays the first two characters, so text after two kanji is only worth a note.
std::string Problem(const std::string& line, std::string& note) {
  note.clear();
  if (line.empty()) return "empty line";
  std::size_t pos = 0;
  std::size_t n = 0;
  bool twoKanji = true;
  while (pos < line.size()) {
    const char32_t cp = NextCodePoint(line, pos);
    if (n < 2) twoKanji = twoKanji && IsKanji(cp);
    if (n == 0 && cp == 0x3005) return "starts with the iteration mark 々";
    ++n;
  }
  if (n == 1) return "only one character";
  if (!twoKanji)
    return n > 2 ? "the first two of its " + std::to_string(n) + " characters are not two kanji"
                 : "not two kanji";
  if (n > 2)
    note = "note: " + std::to_string(n - 2) +
           " more characters after the two kanji, which the game does not play";
  return "";
}

std::string LineEnds(const RawLines& raw) {
  std::string out;
  auto add = [&](std::size_t n, const char* what) {
    if (n == 0) return;
    out += (out.empty() ? "" : ", ") + std::to_string(n) + " " + what;
  };
  add(raw.crlfEnds, "CR LF");
  add(raw.crEnds, "CR alone");
  add(raw.lfEnds, "LF alone");
  return out.empty() ? "none (a single line)" : out;
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
  out << path << ": line ends: " << LineEnds(raw);
  if (raw.lines.size() > kMax)
    out << " in the first " << raw.lines.size() << " lines, where reading stops";
  out << "\n";
  out << path << ": read as " << (raw.encoding == TextEncoding::Utf8 ? "UTF-8" : "Shift-JIS")
      << ": " << raw.why << "\n";
  if (raw.encoding == TextEncoding::ShiftJis && raw.firstNonUtf8 && raw.mostlyUtf8)
    out << path << ":" << raw.firstNonUtf8->line << ":" << raw.firstNonUtf8->column
        << ": the first byte that is not UTF-8, in a list that is otherwise mostly UTF-8; "
           "mend it and the list is read as UTF-8\n";
  if (raw.encoding == TextEncoding::ShiftJis && raw.lfEnds > 0)
    out << path << ": lines that end with LF alone are one line to the game in a Shift-JIS list\n";

  std::unordered_map<std::string, std::size_t> firstSeen;
  std::size_t usable = 0;
  const std::size_t lines = std::min(raw.lines.size(), kMax);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t lineNo = i + 1;
    bool invalid = false;
    const std::string line =
        FirstChars(DecodeLine(raw.lines[i], raw.encoding, &invalid), TextFile::kMaxChars);
    if (invalid) out << path << ":" << lineNo << ": bytes that are not valid Shift-JIS\n";
    std::string note;
    const std::string why = Problem(line, note);
    if (!why.empty()) out << path << ":" << lineNo << ": " << why << ": " << Shown(line) << "\n";
    if (!note.empty()) out << path << ":" << lineNo << ": " << note << ": " << Shown(line) << "\n";
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
    out << path << ": only " << usable << (usable == 1 ? " usable line" : " usable lines")
        << " (starting with two kanji, not repeated); a game needs at least 8\n";
    status = 1;
  }
  if (status == 0)
    out << path << ": " << lines << " lines, " << usable << " usable: the game can play it\n";
  return status;
}

}  // namespace quendar
