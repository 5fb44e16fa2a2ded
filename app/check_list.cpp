#include "app/check_list.h"

#include <ostream>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "elements/runtime.h"
#include "elements/text.h"
#include "elements/textfile.h"
#include "game/form1.h"
#include "study/pitch.h"
#include "study/record.h"

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
    out += c == '\t' ? ' ' : (static_cast<unsigned char>(c) < 0x20) ? '?' : c;
  return out;
}

bool IsKana(char32_t cp) {
  return (cp >= 0x3041 && cp <= 0x309F) || (cp >= 0x30A0 && cp <= 0x30FF) ||
         (cp >= 0xFF66 && cp <= 0xFF9F);
}

// What separates an annotation wrongly: spaces or commas, half- or full-width.
bool IsLooseSeparator(char32_t cp) {
  return cp == ' ' || cp == ',' || cp == 0x3000 || cp == 0x3001 || cp == 0xFF0C;
}

// Why a decoded line cannot be played as a two-kanji compound, or "" when it can. The game
// plays the first two characters; after them a TAB starts the reading and meaning columns,
// and other text is only worth a note.
std::string Problem(const std::string& line, std::string& note) {
  note.clear();
  const std::string compound = line.substr(0, line.find('\t'));
  if (compound.empty()) return line.empty() ? "empty line" : "no compound before the TAB";
  // The game deals the first two characters whatever they are, so a one-kanji line with
  // columns is dealt with the TAB as its second character.
  if (CharCount(compound) == 1 && compound.size() < line.size())
    return "its second character is a TAB: only one character before the columns, and the "
           "game deals the TAB as the compound's second character";
  std::size_t pos = 0;
  std::size_t n = 0;
  bool twoKanji = true;
  char32_t third = 0;
  while (pos < compound.size()) {
    const char32_t cp = NextCodePoint(compound, pos);
    if (n < 2) twoKanji = twoKanji && IsKanji(cp);
    if (n == 2) third = cp;
    if (n == 0 && cp == 0x3005) return "starts with the iteration mark 々";
    ++n;
  }
  if (n == 1) return "only one character";
  if (!twoKanji)
    return n > 2 ? "the first two of its " + std::to_string(n) + " characters are not two kanji"
                 : "not two kanji";
  if (n > 2 && IsLooseSeparator(third))
    note =
        "note: the reading and meaning are separated by spaces or commas; separate them "
        "with TABs";
  else if (n > 2)
    note = "note: " + std::to_string(n - 2) +
           " more characters after the two kanji, which the game does not play";
  return "";
}

// What is wrong with a line's reading and meaning columns, one message each.
std::vector<std::string> AnnotationProblems(const std::string& line, const Annotation& a) {
  std::vector<std::string> out;
  for (std::size_t pos = 0; pos < a.reading.size();) {
    if (!IsKana(NextCodePoint(a.reading, pos))) {
      out.push_back("the reading is not kana");
      break;
    }
  }
  // The meaning as written, before control characters were dropped for showing.
  std::string_view raw = line;
  for (int tab = 0; tab < 2 && raw.find('\t') != std::string_view::npos; ++tab)
    raw.remove_prefix(raw.find('\t') + 1);
  raw = raw.substr(0, raw.find('\t'));
  if (raw.size() != a.meaning.size() && line.find('\t') != line.rfind('\t'))
    out.push_back("the meaning holds control characters, which cannot be shown");
  if (a.meaning.find("\xEF\xBF\xBD") != std::string::npos ||
      a.reading.find("\xEF\xBF\xBD") != std::string::npos)
    out.push_back("the reading or meaning holds bytes that could not be decoded");
  if (!a.accent.empty() && AccentOf(a.accent, a.reading) < 0)
    out.push_back("the accent (fourth column) is not a number from 0 to the reading's " +
                  std::to_string(Moras(a.reading).size()) + " moras");
  return out;
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
  std::size_t usable = 0, readings = 0, meanings = 0, accents = 0;
  const std::size_t lines = std::min(raw.lines.size(), kMax);
  for (std::size_t i = 0; i < lines; ++i) {
    const std::size_t lineNo = i + 1;
    bool invalid = false;
    const std::string line = DecodeLine(raw.lines[i], raw.encoding, &invalid, TextFile::kMaxChars);
    if (invalid)
      out << path << ":" << lineNo << ": bytes that are not valid "
          << (raw.encoding == TextEncoding::Utf8 ? "UTF-8" : "Shift-JIS")
          << ", each read as U+FFFD: " << Shown(line) << "\n";
    std::string note;
    const std::string why = Problem(line, note);
    if (!why.empty()) out << path << ":" << lineNo << ": " << why << ": " << Shown(line) << "\n";
    if (!note.empty()) out << path << ":" << lineNo << ": " << note << ": " << Shown(line) << "\n";
    const Annotation a = AnnotationOf(line);
    readings += !a.reading.empty();
    meanings += !a.meaning.empty();
    accents += AccentOf(a.accent, a.reading) >= 0;
    for (const std::string& p : AnnotationProblems(line, a))
      out << path << ":" << lineNo << ": " << p << ": " << Shown(line) << "\n";
    // Lines of one compound are repeats whatever their annotations say.
    auto [it, fresh] = firstSeen.emplace(line.substr(0, line.find('\t')), lineNo);
    if (!fresh)
      out << path << ":" << lineNo << ": repeats line " << it->second << ": " << Shown(line)
          << "\n";
    else if (why.empty())  // bad bytes after the compound do not keep it from play
      ++usable;
  }

  if (readings + meanings > 0)
    out << path << ": " << readings << " of " << lines << " lines carry a reading, " << meanings
        << " a meaning, " << accents << " an accent\n";
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
