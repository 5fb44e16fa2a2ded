// quendar-check-list on broken and good lists, and the shipped lists read by the game's
// own reader.
#include "app/check_list.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "elements/text.h"
#include "elements/textfile.h"
#include "tests/harness.h"

namespace quendar {
namespace {

using test::ScratchDir;
using test::ToCp932;

TEST(CheckList, ReportsEveryBadLineWithItsNumber) {
  ScratchDir dir;
  auto words = test::SampleWords(8);
  std::string bytes = test::WordFile(words);
  bytes += ToCp932("山") + "\r\n";          // line 9: one character
  bytes += ToCp932("学校生活") + "\r\n";    // line 10: four, playable: the game plays two
  bytes += ToCp932("がく") + "\r\n";        // line 11: kana
  bytes += ToCp932(words[2]) + "\r\n";      // line 12: repeats line 3
  bytes += "\x81\xFF\x88\r\n";              // line 13: undecodable
  bytes += "\r\n";                          // line 14: empty
  bytes += ToCp932("学\tがく\tstudy\r\n");  // line 15: dealt as 学 and a TAB
  dir.Write("list.dat", bytes);
  std::ostringstream out;
  EXPECT_EQ(CheckWordList("list.dat", out), 0);
  const std::string text = out.str();
  for (const char* expected :
       {"list.dat:9: only one character", "list.dat:10: note: 2 more characters",
        "list.dat:11: not two kanji", "list.dat:12: repeats line 3",
        "list.dat:13: bytes that are not valid Shift-JIS", "list.dat:14: empty line",
        "list.dat:15: its second character is a TAB", "9 usable: the game can play it"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
  EXPECT_EQ(text.find("list.dat:1:"), std::string::npos);
}

TEST(CheckList, ListsTheGameCannotPlayFail) {
  ScratchDir dir;
  std::ostringstream out;
  EXPECT_EQ(CheckWordList("missing.dat", out), 1);
  EXPECT_NE(out.str().find("missing.dat: file not found in the current directory (looked for " +
                           (dir.path() / "missing.dat").string() + ")"),
            std::string::npos)
      << out.str();

  dir.Write("short.dat", test::WordFile(test::SampleWords(7)));
  out.str("");
  EXPECT_EQ(CheckWordList("short.dat", out), 1);
  EXPECT_NE(out.str().find("only 7 usable lines"), std::string::npos);

  dir.Write("one.dat", test::WordFile(test::SampleWords(1)));
  out.str("");
  EXPECT_EQ(CheckWordList("one.dat", out), 1);
  EXPECT_NE(out.str().find("only 1 usable line ("), std::string::npos) << out.str();

  // Line ends are counted in the lines read: up to where reading stops, or all of a
  // Shift-JIS list whose LFs end no line.
  dir.Write("long.dat", test::WordFile(test::SampleWords(2001)) + ToCp932("山川\r\n海\r\n"));
  out.str("");
  EXPECT_EQ(CheckWordList("long.dat", out), 1);
  EXPECT_NE(out.str().find("long.dat: line ends: 2001 CR LF in the first 2001 lines, where "
                           "reading stops\n"),
            std::string::npos)
      << out.str().substr(0, 200);
  EXPECT_NE(out.str().find("more than 2000 lines"), std::string::npos);
  std::string lf;
  for (int i = 0; i < 2500; ++i)
    lf += ToCp932("山川") + "\n";
  dir.Write("lf.dat", lf);
  out.str("");
  EXPECT_EQ(CheckWordList("lf.dat", out), 1);
  EXPECT_EQ(out.str().rfind("lf.dat: line ends: 2500 LF alone\n", 0), 0u) << out.str();

  dir.Write("utf8.dat", "山川\r\n学校\r\n電車\r\n時間\r\n天気\r\n宿題\r\n代表\r\n能力\r\n");
  out.str("");
  EXPECT_EQ(CheckWordList("utf8.dat", out), 0);
  EXPECT_NE(out.str().find("read as UTF-8"), std::string::npos);
}

TEST(CheckList, SaysHowTheListIsReadAndWhereAUtf8ListWentWrong) {
  ScratchDir dir;
  std::string list;
  for (const auto& w : test::SampleWords(9))
    list += w + "\n";
  dir.Write("lf.dat", list);
  std::ostringstream out;
  EXPECT_EQ(CheckWordList("lf.dat", out), 0);
  EXPECT_NE(out.str().find("lf.dat: line ends: 9 LF alone\nlf.dat: read as UTF-8: valid UTF-8"),
            std::string::npos)
      << out.str();

  // One stray byte in line 3 makes it Shift-JIS: one long line the game cannot play.
  const std::size_t at = list.find('\n', list.find('\n') + 1) + 7;
  list = list.substr(0, at) + '\x81' + list.substr(at);
  dir.Write("lf.dat", list);
  out.str("");
  EXPECT_EQ(CheckWordList("lf.dat", out), 1);
  EXPECT_NE(out.str().find("lf.dat: read as Shift-JIS: it is not valid UTF-8\n"
                           "lf.dat:3:7: the first byte that is not UTF-8"),
            std::string::npos)
      << out.str();
}

// A UTF-8 list keeps going past its bad bytes, and the checker names every line that has one.
TEST(CheckList, NamesEveryLineOfAUtf8ListWithBadBytes) {
  ScratchDir dir;
  std::string list = "\xEF\xBB\xBF";
  for (const auto& w : test::SampleWords(8))
    list += w + "\tよみ\tcaf\xE9 au lait\r\n";
  dir.Write("bom.dat", list);
  std::ostringstream out;
  EXPECT_EQ(CheckWordList("bom.dat", out), 0) << out.str();
  for (int line = 1; line <= 8; ++line)
    EXPECT_NE(out.str().find("bom.dat:" + std::to_string(line) +
                             ": bytes that are not valid UTF-8, each read as U+FFFD"),
              std::string::npos)
        << out.str();
}

// The shipped lists: Shift-JIS with CR LF, read line for line by the game's reader.
class ShippedList : public ::testing::TestWithParam<const char*> {};

TEST_P(ShippedList, IsPlayableTwoKanjiPerLineWithoutRepeats) {
  const std::string path = std::string(QUENDAR_SOURCE_DIR "/assets/") + GetParam();
  std::ostringstream out;
  EXPECT_EQ(CheckWordList(path, out), 0);
  // Nothing but the line ends, the encoding, the annotation count and the closing summary:
  // every line's reading is kana and its meaning can be shown.
  const std::string text = out.str();
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
  EXPECT_NE(text.find(": 2000 of 2000 lines carry a reading, 2000 a meaning, 2000 an accent\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find(": line ends: 2000 CR LF\n"), std::string::npos) << text;
  EXPECT_NE(text.find(": read as Shift-JIS: it is not valid UTF-8\n"), std::string::npos) << text;

  TextFile f;
  f.Open(path, 2001);
  EXPECT_EQ(f.encoding(), TextEncoding::ShiftJis);
  std::set<std::string> lines;
  while (!f.Eof())
    lines.insert(f.LineInput());
  EXPECT_GE(lines.size(), 1000u);
  EXPECT_LE(lines.size(), 2000u);
}

INSTANTIATE_TEST_SUITE_P(Assets, ShippedList,
                         ::testing::Values("jyukugo.dat", "jyukugo-elementary.dat",
                                           "jyukugo-joyo.dat"));

TEST(ShippedListDefault, ReadsKanjiWithBackslashAndBarTrailBytes) {
  const std::string path = QUENDAR_SOURCE_DIR "/assets/jyukugo.dat";
  TextFile f;
  f.Open(path, 2001);
  std::set<std::string> lines;
  while (!f.Eof())
    lines.insert(FirstChars(f.LineInput(), 2));
  int found = 0;
  for (const char* w : {"代表", "能力", "表示", "予定"})
    found += lines.count(w);
  EXPECT_GE(found, 3);
}

}  // namespace
}  // namespace quendar
