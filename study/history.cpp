#include "study/history.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unordered_map>
#include <unordered_set>

#include "elements/text.h"
#include "elements/textfile.h"

namespace quendar {

namespace {

constexpr std::int64_t kDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date, and back (Howard Hinnant's method).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsControl(char32_t cp) {
  return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

// Valid UTF-8 without control characters; its length in characters.
std::optional<std::size_t> CleanLength(std::string_view s) {
  if (!IsValidUtf8(s)) return std::nullopt;
  std::size_t n = 0;
  for (std::size_t i = 0; i < s.size(); ++n)
    if (IsControl(NextCodePoint(s, i))) return std::nullopt;
  return n;
}

std::optional<Grade> GradeOf(std::string_view s) {
  if (s == "again") return Grade::Again;
  if (s == "hard") return Grade::Hard;
  if (s == "good") return Grade::Good;
  return std::nullopt;
}

// One data line into `out`, or why it cannot be read.
const char* ParseLine(std::string_view line, HistoryLine& out) {
  std::string_view f[4];
  std::size_t start = 0;
  for (int k = 0; k < 4; ++k) {
    const std::size_t tab = line.find('\t', start);
    if ((tab == std::string_view::npos) != (k == 3)) return "it is not four TAB-separated fields";
    f[k] = line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start);
    start = tab + 1;
  }
  const auto time = ParseTime(f[0]);
  if (!time) return "the time is not YYYY-MM-DDTHH:MM:SSZ";
  if (CleanLength(f[1]) != 2u) return "the compound is not two characters";
  const auto grade = GradeOf(f[2]);
  if (!grade) return "the grade is not again, hard or good";
  if (!CleanLength(f[3])) return "the list's name is not UTF-8 text";
  out.time = *time;
  out.word.assign(f[1]);
  out.grade = *grade;
  out.list.assign(f[3]);
  return nullptr;
}

// A history written by another tool may open with a byte-order mark.
std::string_view WithoutBom(std::string_view text) {
  return text.starts_with("\xEF\xBB\xBF") ? text.substr(3) : text;
}

}  // namespace

const char* GradeName(Grade g) {
  switch (g) {
    case Grade::Again:
      return "again";
    case Grade::Hard:
      return "hard";
    case Grade::Good:
      break;
  }
  return "good";
}

std::string FormatTime(std::int64_t t) {
  const std::int64_t days = (t >= 0 ? t : t - (kDay - 1)) / kDay;
  const std::int64_t secs = t - days * kDay;
  std::int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02uT%02d:%02d:%02dZ", static_cast<long long>(y), m,
                d, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                static_cast<int>(secs % 60));
  return buf;
}

std::optional<std::int64_t> ParseTime(std::string_view s) {
  if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' ||
      s[16] != ':' || s[19] != 'Z')
    return std::nullopt;
  auto num = [&](std::size_t at, std::size_t len) -> int {
    int v = 0;
    for (std::size_t i = at; i < at + len; ++i) {
      if (s[i] < '0' || s[i] > '9') return -1;
      v = v * 10 + (s[i] - '0');
    }
    return v;
  };
  const int y = num(0, 4), mo = num(5, 2), d = num(8, 2), h = num(11, 2), mi = num(14, 2),
            se = num(17, 2);
  if (y < 0 || mo < 1 || mo > 12 || d < 1 || h < 0 || h > 23 || mi < 0 || mi > 59 || se < 0 ||
      se > 59)
    return std::nullopt;
  static constexpr int kMonthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  if (d > kMonthDays[mo - 1] || (mo == 2 && d == 29 && !leap)) return std::nullopt;
  return DaysFromCivil(y, static_cast<unsigned>(mo), static_cast<unsigned>(d)) * kDay + h * 3600 +
         mi * 60 + se;
}

std::vector<HistoryLine> RunLines(const std::vector<StudyEntry>& entries, std::int64_t endTime,
                                  const std::string& listName) {
  std::vector<HistoryLine> lines;
  std::unordered_map<std::string, std::size_t> at;
  for (const StudyEntry& e : entries) {
    if (!e.targeted || CleanLength(e.word) != 2u) continue;
    const Grade g = !e.matched ? Grade::Again : e.wrong > 0 ? Grade::Hard : Grade::Good;
    const auto [it, added] = at.try_emplace(e.word, lines.size());
    if (added)
      lines.push_back({endTime, e.word, g, listName});
    else
      lines[it->second].grade = std::min(lines[it->second].grade, g);
  }
  return lines;
}

std::string HistoryText(const std::vector<HistoryLine>& lines) {
  std::string out;
  for (const HistoryLine& l : lines) {
    out += FormatTime(l.time);
    out += '\t';
    out += l.word;
    out += '\t';
    out += GradeName(l.grade);
    out += '\t';
    out += l.list;
    out += '\n';
  }
  return out;
}

std::string HistoryListName(const std::string& path) {
  std::string name = std::filesystem::path(path).filename().string();
  if (!IsValidUtf8(name)) name = DecodeLine(name, TextEncoding::Utf8);
  std::string out;
  for (std::size_t i = 0; i < name.size();) {
    const std::size_t start = i;
    if (!IsControl(NextCodePoint(name, i))) out.append(name, start, i - start);
  }
  return out;
}

History ParseHistory(std::string_view text) {
  History h;
  // A year of heavy play is a quarter of a million lines of about 45 bytes; a huge file of
  // anything else must not reserve memory for lines it may not hold.
  h.lines.reserve(std::min<std::size_t>(text.size() / 40, 1 << 19));
  ForEachLine(WithoutBom(text), [&](std::size_t number, std::string_view line) {
    if (number == 1 && line == kHistoryHeader) h.header = true;
    if (line.empty() || line[0] == '#') return;
    HistoryLine parsed;
    if (const char* why = ParseLine(line, parsed)) {
      if (h.bad++ == 0) {
        h.firstBad = number;
        h.firstBadWhy = why;
      }
      return;
    }
    h.lines.push_back(std::move(parsed));
  });
  if (!std::is_sorted(h.lines.begin(), h.lines.end(),
                      [](const HistoryLine& a, const HistoryLine& b) { return a.time < b.time; }))
    std::stable_sort(h.lines.begin(), h.lines.end(),
                     [](const HistoryLine& a, const HistoryLine& b) { return a.time < b.time; });
  return h;
}

std::optional<std::string> BadLinesMessage(const History& h, const std::string& name) {
  if (h.bad == 0) return std::nullopt;
  return name + ": " + std::to_string(h.bad) + (h.bad == 1 ? " line" : " lines") +
         " cannot be read and " + (h.bad == 1 ? "is" : "are") + " skipped (line " +
         std::to_string(h.firstBad) + ": " + h.firstBadWhy + ")";
}

std::string LinesToMerge(std::string_view existing, std::string_view incoming, std::size_t* added) {
  std::unordered_set<std::string_view> have;
  ForEachLine(WithoutBom(existing), [&](std::size_t, std::string_view line) { have.insert(line); });
  std::vector<std::pair<std::int64_t, std::string_view>> fresh;
  ForEachLine(WithoutBom(incoming), [&](std::size_t, std::string_view line) {
    HistoryLine parsed;
    if (line.empty() || line[0] == '#' || ParseLine(line, parsed)) return;
    if (have.insert(line).second) fresh.emplace_back(parsed.time, line);
  });
  std::stable_sort(fresh.begin(), fresh.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::string out;
  for (const auto& [time, line] : fresh) {
    out.append(line);
    out += '\n';
  }
  if (added) *added = fresh.size();
  return out;
}

}  // namespace quendar
