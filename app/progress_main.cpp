// quendar-progress: what the learner's history says — a summary for a list, the schedule,
// a practice list to play, and merging another history in.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "elements/runtime.h"
#include "platform/data_dirs.h"
#include "study/history_file.h"
#include "study/practice.h"

namespace {

using namespace quendar;

int Usage(std::ostream& out, int status) {
  out << "usage: quendar-progress [--history FILE] [--now TIME] [LIST]\n"
         "       quendar-progress --schedule [--history FILE] [--now TIME]\n"
         "       quendar-progress --practice N [--history FILE] [--now TIME] LIST\n"
         "       quendar-progress --import FILE [--history FILE]\n"
         "Reads the history quendar keeps (or FILE) with the clock at TIME\n"
         "(YYYY-MM-DDTHH:MM:SSZ, default now). LIST is a word list file, or default,\n"
         "elementary or joyo (default: the shipped common list).\n"
         "  (no mode)     a summary for LIST: met, learning, known, due now, never met,\n"
         "                and the compounds due on each of the next 7 days\n"
         "  --schedule    each compound of the history: lines, stability, difficulty,\n"
         "                due time and retrievability at TIME, soonest due first\n"
         "  --practice N  a word list of N lines (or the largest multiple of 8 there\n"
         "                is) from LIST: due compounds, weakest first, then new ones\n"
         "  --import FILE merge the lines of another history into this one\n"
         "Exit status 0 when done, 1 when refused (the message says why), 2 for bad usage.\n";
  return status;
}

int Refuse(const std::string& why) {
  std::cerr << "quendar-progress: " << why << '\n';
  return 1;
}

int BadUsage(const std::string& why) {
  std::cerr << "quendar-progress: " << why << '\n';
  return Usage(std::cerr, 2);
}

struct Options {
  enum class Mode { Summary, Schedule, Practice, Import } mode = Mode::Summary;
  int practice = 0;
  std::string import, history, list;
  std::int64_t now = static_cast<std::int64_t>(std::time(nullptr));
  bool nowGiven = false;
};

std::string Fixed(double v, int decimals) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
  return buf;
}

// The word list's path as the game would open it.
std::string ListPath(const std::string& list) {
  const auto path = GameDataFiles(list.empty() ? "default" : list).Find("jyukugo.dat");
  return path ? *path : list;
}

int Import(const Options& o, const std::string& historyPath) {
  std::string incoming;
  bool exists = access(o.import.c_str(), F_OK) == 0;
  if (!exists) return Refuse(o.import + ": file not found");
  if (auto problem = ReadHistoryFile(o.import, incoming)) return Refuse(*problem);
  std::string_view first(incoming);
  if (first.starts_with("\xEF\xBB\xBF")) first.remove_prefix(3);
  first = first.substr(0, first.find('\n'));
  if (first.ends_with('\r')) first.remove_suffix(1);
  if (first != kHistoryHeader)
    return Refuse(o.import + ": is not a quendar history (its first line is not \"" +
                  std::string(kHistoryHeader) + "\"); nothing was imported");
  if (auto warning = BadLinesMessage(ParseHistory(incoming), o.import))
    std::cerr << "quendar-progress: " << *warning << '\n';
  std::string existing;
  if (auto problem = ReadHistoryFile(historyPath, existing)) return Refuse(*problem);
  std::size_t added = 0;
  const std::string lines = LinesToMerge(existing, incoming, &added);
  if (auto problem = AppendHistoryFile(historyPath, lines, o.history.empty()))
    return Refuse(*problem + "; nothing was imported");
  std::cout << "imported " << added << (added == 1 ? " line" : " lines") << " from " << o.import
            << " into " << historyPath << '\n';
  return 0;
}

int Summary(const Options& o, const History& history, const ScheduleMap& schedule) {
  const std::string path = ListPath(o.list);
  const ListCounts c = CountList(ReadWordListLines(path), schedule, o.now, 7);
  std::cout << HistoryListName(path) << ": " << c.compounds << " compounds, at "
            << FormatTime(o.now) << " (" << history.lines.size() << " history lines, "
            << schedule.size() << " compounds met in all)\n"
            << "  met        " << c.met << " (learning " << c.learning << ", known " << c.known
            << ")\n"
            << "  due now    " << c.dueNow << '\n'
            << "  never met  " << c.neverMet << '\n'
            << "  due on each of the next 7 days:";
  for (int n : c.duePerDay)
    std::cout << ' ' << n;
  std::cout << '\n';
  return 0;
}

int ScheduleLines(const Options& o, const History& history) {
  std::vector<CompoundSchedule> all = Schedule(history);
  std::sort(all.begin(), all.end(), [](const CompoundSchedule& a, const CompoundSchedule& b) {
    return a.due != b.due ? a.due < b.due : a.word < b.word;
  });
  std::string out;
  for (const CompoundSchedule& c : all)
    out += c.word + '\t' + std::to_string(c.lines) + '\t' + Fixed(c.memory.stability, 2) + '\t' +
           Fixed(c.memory.difficulty, 2) + '\t' + FormatTime(c.due) + '\t' +
           Fixed(c.RetrievabilityAt(o.now), 3) + '\n';
  std::cout << out;
  return 0;
}

int PracticeList(const Options& o, const ScheduleMap& schedule) {
  const std::string path = ListPath(o.list);
  const Practice p = ComposePractice(ReadWordListLines(path), schedule, o.now, o.practice,
                                     o.list.empty() ? path : o.list);
  if (p.lines == 0) return Refuse(p.problem);
  std::cout << p.text << std::flush;
  return std::cout ? 0 : Refuse("cannot write the list to standard output");
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  bool listGiven = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc || argv[i + 1][0] == '\0') return false;
      into = argv[++i];
      return true;
    };
    std::string v;
    if (arg == "-h" || arg == "--help") return Usage(std::cout, 0);
    if (arg == "--schedule") {
      o.mode = Options::Mode::Schedule;
    } else if (arg == "--practice") {
      char* end = nullptr;
      if (!value(v)) return BadUsage("--practice wants a number of lines");
      const long n = std::strtol(v.c_str(), &end, 10);
      if (*end != '\0' || n < 1 || n > 100000)
        return BadUsage("--practice wants a number of lines from 1 to 100000, not " + v);
      o.mode = Options::Mode::Practice;
      o.practice = static_cast<int>(n);
    } else if (arg == "--import") {
      if (!value(o.import)) return BadUsage("--import wants a history file");
      o.mode = Options::Mode::Import;
    } else if (arg == "--history") {
      if (!value(o.history)) return BadUsage("--history wants a file");
    } else if (arg == "--now") {
      if (!value(v)) return BadUsage("--now wants a time");
      const auto t = ParseTime(v);
      if (!t) return BadUsage("--now wants a time as YYYY-MM-DDTHH:MM:SSZ, not " + v);
      o.now = *t;
      o.nowGiven = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return BadUsage("unknown option " + arg);
    } else {
      if (listGiven || arg.empty()) return BadUsage("one word list at most, not " + arg);
      o.list = arg;
      listGiven = true;
    }
  }
  if (listGiven && (o.mode == Options::Mode::Schedule || o.mode == Options::Mode::Import))
    return BadUsage("a word list goes with the summary and --practice only");
  if (o.nowGiven && o.mode == Options::Mode::Import) return BadUsage("--import takes no --now");

  const std::string historyPath =
      o.history.empty() ? DefaultHistoryPath(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))
                        : o.history;
  if (historyPath.empty())
    return Refuse(
        "no history to read: neither XDG_DATA_HOME nor HOME is set; name one with --history");
  if (o.mode == Options::Mode::Import) return Import(o, historyPath);

  History history;
  std::optional<std::string> warning;
  if (auto problem = LoadHistory(historyPath, history, warning)) return Refuse(*problem);
  if (warning) std::cerr << "quendar-progress: " << *warning << '\n';
  try {
    switch (o.mode) {
      case Options::Mode::Schedule:
        return ScheduleLines(o, history);
      case Options::Mode::Practice:
        return PracticeList(o, ScheduleByWord(history));
      default:
        return Summary(o, history, ScheduleByWord(history));
    }
  } catch (const FatalError& e) {
    return Refuse(e.what());
  }
}
