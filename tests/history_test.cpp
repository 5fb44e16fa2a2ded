// The learner's history across runs: the lines a run leaves, the file they go to, the
// schedule replayed from them and the practice lists composed with it.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>

#include "study/fsrs.h"
#include "study/history_file.h"
#include "study/practice.h"
#include "tests/harness.h"

namespace quendar {
namespace {

constexpr std::int64_t kDay = 86400;
const std::int64_t kT0 = *ParseTime("2026-12-01T07:00:00Z");

std::string Line(std::int64_t t, const std::string& word, const char* grade) {
  return FormatTime(t) + "\t" + word + "\t" + grade + "\tjyukugo.dat\n";
}

std::string FileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Fsrs, WorkedValuesOfTheDefaultParameters) {
  // First reviews: S is w0..w2, D is D0(G).
  const double s0[] = {0.40255, 1.18385, 3.173}, d0[] = {7.1949, 6.488305, 5.282434};
  for (int g = 1; g <= 3; ++g) {
    EXPECT_DOUBLE_EQ(FirstReview(Grade(g)).stability, s0[g - 1]);
    EXPECT_NEAR(FirstReview(Grade(g)).difficulty, d0[g - 1], 1e-6);
  }
  // Good, forgotten ten days later, hard the day after; and again then good the same day.
  const std::string text = std::string(kHistoryHeader) + "\n" + Line(kT0, "学校", "good") +
                           Line(kT0 + 10 * kDay, "学校", "again") +
                           Line(kT0 + 11 * kDay, "学校", "hard") + Line(kT0, "事件", "again") +
                           Line(kT0 + 600, "事件", "good");
  const ScheduleMap s = ScheduleByWord(ParseHistory(text));
  ASSERT_EQ(s.size(), 2u);
  const MemoryState forgot = NextReview(FirstReview(Grade::Good), 10, Grade::Again);
  EXPECT_NEAR(forgot.stability, 1.471762, 1e-6);
  EXPECT_NEAR(forgot.difficulty, 6.796933, 1e-6);
  const CompoundSchedule& a = s.at("学校");
  EXPECT_EQ(a.lines, 3);
  EXPECT_NEAR(a.memory.stability, 1.955206, 1e-6);
  EXPECT_NEAR(a.memory.difficulty, 7.297860, 1e-6);
  EXPECT_EQ(a.due, kT0 + 13 * kDay);  // round(1.96) = 2 days after the last line
  EXPECT_NEAR(a.RetrievabilityAt(a.last + static_cast<std::int64_t>(1.955206 * kDay)), 0.9, 1e-4);
  const CompoundSchedule& b = s.at("事件");
  EXPECT_NEAR(b.memory.stability, 0.40255 * std::exp(0.51655 * 0.6621), 1e-9);
  EXPECT_NEAR(b.memory.difficulty, 7.176636, 1e-6);
  EXPECT_EQ(b.due, kT0 + 600 + kDay);              // never less than a day
  EXPECT_DOUBLE_EQ(b.RetrievabilityAt(kT0), 1.0);  // a line dated later counts as now
}

TEST(History, RunsPlayedThroughTheEngineAreAppendedReadBackAndScheduled) {
  const std::string path = (std::filesystem::temp_directory_path() /
                            ("quendar-history-" + std::to_string(getpid()) + ".tsv"))
                               .string();
  std::map<std::string, Grade> grades;
  for (int run = 0; run < 2; ++run) {  // the same run on two days
    test::Program p(test::SampleWords(24), 5);
    Form1& f = p.form();
    p.Wait(30);
    const int missed = f.targetCol;
    test::Shoot(p, false);
    test::Shoot(p, true);  // matched after a miss: hard
    ASSERT_TRUE(p.WaitUntil([&] { return f.targetCol != missed; }, 5000));
    const int second = f.targetCol;
    test::Shoot(p, true);  // good
    ASSERT_TRUE(p.WaitUntil([&] { return f.targetCol != second; }, 5000));
    p.rt().Menu("owaru");  // the target drawn now was asked and missed: again
    const auto& entries = p.study().entries();
    const auto lines = RunLines(entries, kT0 + run * kDay, "jyukugo.dat");
    grades.clear();
    for (const HistoryLine& l : lines)
      grades[l.word] = l.grade;
    EXPECT_EQ(grades.size(), lines.size());
    EXPECT_EQ(grades.at(entries[static_cast<std::size_t>(missed)].word), Grade::Hard);
    EXPECT_EQ(grades.at(entries[static_cast<std::size_t>(second)].word), Grade::Good);
    EXPECT_EQ(grades.at(entries[static_cast<std::size_t>(f.targetCol)].word), Grade::Again);
    for (const StudyEntry& e : entries)
      EXPECT_EQ(grades.count(e.word), e.targeted ? 1u : 0u) << e.word;
    if (run == 0) std::filesystem::remove(path);
    ASSERT_FALSE(AppendHistoryFile(path, HistoryText(lines)));
  }
  const History h = ParseHistory(FileText(path));
  std::filesystem::remove(path);
  EXPECT_TRUE(h.header);
  EXPECT_EQ(h.bad, 0u);
  EXPECT_EQ(h.lines.size(), 2 * grades.size());
  const auto schedule = ScheduleByWord(h);
  EXPECT_EQ(schedule.size(), grades.size());
  for (const auto& [word, grade] : grades) {
    const CompoundSchedule& c = schedule.at(word);
    EXPECT_EQ(c.lines, 2) << word;
    EXPECT_EQ(c.last, kT0 + kDay);
    EXPECT_DOUBLE_EQ(c.memory.stability, NextReview(FirstReview(grade), 1.0, grade).stability);
  }
}

TEST(History, TwoProcessesAppendingAtOnceLoseNothingAndAFailedAppendLeavesTheFile) {
  test::ScratchDir dir;
  const auto words = test::SampleWords(8);
  std::vector<pid_t> children;
  for (int who = 0; who < 2; ++who) {
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      bool ok = true;
      for (int i = 0; i < 100; ++i) {
        std::vector<HistoryLine> block;
        for (const std::string& w : words)
          block.push_back({kT0 + i, w, Grade::Good, std::to_string(who) + "-" + std::to_string(i)});
        ok = ok && !AppendHistoryFile("history.tsv", HistoryText(block));
      }
      _exit(ok ? 0 : 1);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  const std::string text = FileText("history.tsv");
  ASSERT_TRUE(text.starts_with(std::string(kHistoryHeader) + "\n"));
  EXPECT_EQ(text.find(kHistoryHeader, 1), std::string::npos);
  // Every block whole and in one piece, as its own eight consecutive lines.
  std::istringstream in(text.substr(kHistoryHeader.size() + 1));
  std::map<std::string, int> blocks;
  std::string line, list, previous;
  int run = 0;
  while (std::getline(in, line)) {
    list = line.substr(line.rfind('\t') + 1);
    if (list != previous) {
      EXPECT_EQ(run % 8, 0) << list;
    }
    run = list == previous ? run + 1 : 1;
    previous = list;
    ++blocks[list];
  }
  EXPECT_EQ(blocks.size(), 200u);
  for (const auto& [name, n] : blocks)
    EXPECT_EQ(n, 8) << name;

  // A full disk mid-write: the file is cut back to what it was.
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{text.size() + 100, text.size() + 100};
    setrlimit(RLIMIT_FSIZE, &limit);
    const auto error = AppendHistoryFile(
        "history.tsv", HistoryText({{kT0, "学校", Grade::Good, std::string(4096, 'x')}}));
    _exit(error && error->find("history.tsv: cannot be written") == 0 ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(FileText("history.tsv"), text);
}

TEST(History, CorruptTruncatedAndOddHistoriesAreReadSafely) {
  test::ScratchDir dir;
  const std::string good = Line(kT0 + 5, "学校", "good");
  // Appended one by one: GCC 12 takes a long chain of string temporaries at -O3 for an
  // overlapping copy (-Werror=restrict).
  std::string badTime = "x";
  badTime += Line(kT0, "事件", "again");
  const std::string crlf = Line(kT0 + 2, "事件", "good");
  std::string text = "\xEF\xBB\xBF";
  for (const std::string& part :
       {std::string(kHistoryHeader) + "\r\n", good, std::string("\xFF\xFE garbage\n"),
        std::string("# a comment\n\n"), badTime,  // bad time
        Line(*ParseTime("2999-01-01T00:00:00Z"), "未来", "hard"),
        Line(kT0 + 1, "山川", "easy"),                         // no such grade
        std::string("2026-02-29T00:00:00Z\t山川\tgood\tx\n"),  // no such day
        Line(kT0 + 1, "山", "good"),                           // one character
        crlf.substr(0, 10) + "\r" + crlf.substr(10),           // CR LF ends
        std::string("2026-12-08T07:44:06Z\t学")})              // cut short
    text += part;
  dir.Write("history.tsv", text);
  History h;
  std::optional<std::string> warning;
  ASSERT_FALSE(LoadHistory("history.tsv", h, warning));
  EXPECT_TRUE(h.header);
  ASSERT_EQ(h.lines.size(), 2u);  // sorted by time, the future one last
  EXPECT_EQ(h.lines[0].word, "学校");
  EXPECT_EQ(h.lines[1].word, "未来");
  EXPECT_EQ(h.bad, 7u);
  EXPECT_EQ(warning.value_or(""),
            "history.tsv: 7 lines cannot be read and are skipped (line 3: it is not four "
            "TAB-separated fields)");

  // Appending after a cut-short line starts a line of its own.
  ASSERT_FALSE(AppendHistoryFile("history.tsv", good));
  EXPECT_EQ(FileText("history.tsv"), text + "\n" + good);
  EXPECT_EQ(ParseHistory(FileText("history.tsv")).bad, 7u);

  // Things that are no history file: refused at once, never waited on.
  ASSERT_EQ(mkfifo("fifo", 0600), 0);
  std::filesystem::create_directory("folder");
  std::string read;
  EXPECT_EQ(ReadHistoryFile("fifo", read).value_or(""),
            "fifo: is a named pipe, not a history file");
  EXPECT_EQ(AppendHistoryFile("fifo", good).value_or(""),
            "fifo: is a named pipe, not a history file");
  EXPECT_EQ(AppendHistoryFile("folder", good).value_or(""),
            "folder: is a directory, not a history file");
  EXPECT_FALSE(ReadHistoryFile("missing.tsv", read));
  std::filesystem::resize_file(dir.path() / "history.tsv", kMaxHistoryBytes + 1);
  EXPECT_NE(ReadHistoryFile("history.tsv", read).value_or("").find("far too large"),
            std::string::npos);

  // Merging adds only lines not there yet, in time order.
  std::size_t added = 0;
  EXPECT_EQ(LinesToMerge(text,
                         Line(kT0 + 9, "天気", "good") + good + Line(kT0 + 8, "天気", "hard") +
                             "junk\n" + Line(kT0 + 8, "天気", "hard"),
                         &added),
            Line(kT0 + 8, "天気", "hard") + Line(kT0 + 9, "天気", "good"));
  EXPECT_EQ(added, 2u);
}

TEST(Practice, DueFirstWeakestFirstThenNeverMetInListOrder) {
  const auto words = test::SampleWords(24);
  std::vector<std::string> list;
  for (std::size_t i = 0; i < words.size(); ++i)
    list.push_back(words[i] + "\tよみ\tmeaning " + std::to_string(i));
  list.push_back(words[3] + "\trepeat");  // a compound's first line only
  // 3 forgotten long ago, 5 and 9 alike (ties keep list order), 7 known and 1 not yet due.
  const std::int64_t now = kT0 + 30 * kDay;
  const std::string text = Line(kT0, words[3], "again") + Line(kT0 + 20 * kDay, words[5], "good") +
                           Line(kT0 + 20 * kDay, words[9], "good") + Line(kT0, words[7], "good") +
                           Line(kT0 + 10 * kDay, words[7], "good") +
                           Line(kT0 + 20 * kDay, words[7], "good") +
                           Line(now - 3600, words[1], "good");
  const ScheduleMap s = ScheduleByWord(ParseHistory(text));
  EXPECT_TRUE(s.at(words[7]).Known());
  const Practice p = ComposePractice(list, s, now, 20, "jyukugo.dat");
  ASSERT_EQ(p.lines, 20);
  std::string expected = "\xEF\xBB\xBF";
  for (int i : {3, 5, 9, 0, 2, 4, 6, 8, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21})
    expected += list[static_cast<std::size_t>(i)] + "\r\n";
  EXPECT_EQ(p.text, expected);
  EXPECT_EQ(ComposePractice(list, s, now, 30, "x").lines, 16);  // 22 there: a multiple of 8
  const Practice refused = ComposePractice({list.begin(), list.begin() + 8}, s, now, 48, "few.dat");
  EXPECT_EQ(refused.text, "");
  EXPECT_EQ(refused.problem,
            "few.dat: 6 compounds are due or never met; a practice list needs at least 8");

  const ListCounts c = CountList(list, s, now, 7);
  EXPECT_EQ(c.compounds, 24);
  EXPECT_EQ(c.met, 5);
  EXPECT_EQ(c.known, 1);
  EXPECT_EQ(c.learning, 4);
  EXPECT_EQ(c.dueNow, 3);
  EXPECT_EQ(c.neverMet, 19);
  EXPECT_EQ(c.duePerDay, (std::vector<int>{0, 0, 1, 0, 0, 0, 0}));  // 1: good, due in 3 days
}

// The page's chart replays the lines once for 90 day ends; each end must agree with the
// schedule of the lines up to it, the way the summary counts a whole history.
TEST(Practice, CountsAtEachEndAgreeWithTheScheduleOfTheLinesUpToIt) {
  const auto words = test::SampleWords(30);
  const std::vector<std::string> list(words.begin(), words.begin() + 20);  // 10 off the list
  const char* grades[] = {"good", "good", "hard", "again", "good"};
  std::string text;
  for (int k = 0; k < 400; ++k)
    text += Line(kT0 + k * 29 * 3600, words[static_cast<std::size_t>(k * 7 % 30)], grades[k % 5]);
  const History h = ParseHistory(text);
  std::vector<std::int64_t> ends;
  for (int day = -1; day < 500; day += 9)
    ends.push_back(kT0 + day * kDay);
  const auto got = CountsAt(list, h, ends);
  ASSERT_EQ(got.size(), ends.size());
  int knownSeen = 0;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    History upTo;
    for (const HistoryLine& l : h.lines)
      if (l.time <= ends[i]) upTo.lines.push_back(l);
    const ListCounts c = CountList(list, ScheduleByWord(upTo), ends[i], 0);
    EXPECT_EQ(got[i].known, c.known) << "end " << i;
    EXPECT_EQ(got[i].learning, c.learning) << "end " << i;
    knownSeen = std::max(knownSeen, c.known);
  }
  EXPECT_GT(knownSeen, 0);  // the replay reaches compounds known, not only learning
}

}  // namespace
}  // namespace quendar
