// Reading word lists: line ends, Shift-JIS with awkward trail bytes, UTF-8, bad bytes,
// limits, and files that cannot be read.
#include "elements/textfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>

#include "elements/runtime.h"
#include "elements/text.h"
#include "tests/harness.h"

namespace quendar {
namespace {

using test::ScratchDir;
using test::ToCp932;

std::vector<std::string> ReadAll(const std::string& bytes, std::size_t maxLines = 2001) {
  ScratchDir dir;
  dir.Write("list.dat", bytes);
  TextFile f;
  f.Open("list.dat", maxLines);
  std::vector<std::string> lines;
  while (!f.Eof())
    lines.push_back(f.LineInput());
  f.Close();
  return lines;
}

using Lines = std::vector<std::string>;

TEST(TextFileLines, EndAtCrOrCrLfAndALoneLfIsOrdinary) {
  EXPECT_EQ(ReadAll("ab\r\ncd\r\n"), (Lines{"ab", "cd"}));
  EXPECT_EQ(ReadAll("ab\rcd"), (Lines{"ab", "cd"}));
  EXPECT_EQ(ReadAll("ab\ncd\n"), (Lines{"ab\ncd\n"}));
  EXPECT_EQ(ReadAll("ab\r\ncd"), (Lines{"ab", "cd"}));  // last line without terminator
  EXPECT_EQ(ReadAll("ab\r\n\r\n"), (Lines{"ab", ""}));  // an empty last line
  EXPECT_EQ(ReadAll("\r\n"), (Lines{""}));
  EXPECT_EQ(ReadAll(""), Lines{});
  EXPECT_EQ(ReadAll("ab\r\r\ncd"), (Lines{"ab", "", "cd"}));
}

TEST(TextFileLines, CrLfSplitAcrossReadBuffersIsOneTerminator) {
  // The reader takes 64 KiB at a time; put the CR as the last byte of the first buffer.
  std::string big(65535, 'x');
  const auto lines = ReadAll(big + "\r\nyz\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), 4096u);  // a stored line keeps its first 4096 characters
  EXPECT_EQ(lines[1], "yz");
}

TEST(TextFileShiftJis, KanjiWhoseSecondByteIsBackslashOrBarDecodeWhole) {
  // 表 is 0x95 0x5C, 能 is 0x94 0x5C, 予 is 0x97 0x5C; ソ is 0x83 0x5C; 榎 carries 0x7C.
  const std::vector<std::string> words = {"代表", "能力", "表示", "予定", "ソ連", "榎木"};
  std::string bytes;
  for (const auto& w : words)
    bytes += ToCp932(w) + "\r\n";
  EXPECT_NE(bytes.find('\x5C'), std::string::npos);
  EXPECT_NE(bytes.find('\x7C'), std::string::npos);
  EXPECT_EQ(ReadAll(bytes), words);
}

TEST(TextFileShiftJis, InvalidBytesBecomeReplacementCharacters) {
  bool invalid = false;
  EXPECT_EQ(DecodeLine("\x82\xA0"
                       "a",
                       TextEncoding::ShiftJis, &invalid),
            "あa");
  EXPECT_FALSE(invalid);
  EXPECT_EQ(DecodeLine("a\xFF"
                       "b",
                       TextEncoding::ShiftJis, &invalid),
            "a\uFFFDb");
  EXPECT_TRUE(invalid);
  EXPECT_EQ(DecodeLine("\x88", TextEncoding::ShiftJis, &invalid), "\uFFFD");  // cut-off lead byte
  EXPECT_TRUE(invalid);
  const auto lines = ReadAll(std::string("\x80\xFF\xFE\x81\r\n") + ToCp932("山川") + "\r\n");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "山川");
}

// The browser's rules, which every shell now shares: 0x80 is U+0080; a bad pair is one
// U+FFFD, and its trail byte is read again only when it is ASCII; the user-defined rows map
// to the private use area; the wave dash row is index jis0208's (as code page 932).
TEST(TextFileShiftJis, DecodesAsTheEncodingStandardDoes) {
  bool invalid = false;
  const std::pair<std::string, std::string> cases[] = {
      {"\x80|\xA0|\xFD", "\u0080|\uFFFD|\uFFFD"},
      {"\x81\xFF|\x81\x7F|\x81"
       "!|\x81\t",
       "\uFFFD|\uFFFD\x7F|\uFFFD!|\uFFFD\t"},
      {"\xF0\x40\xF9\xFC\xA1\xDF", "\uE000\uE757\uFF61\uFF9F"},
      {"\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA", "～∥－￠￡￢"},
      {"\x87\x90\xED\x40\xFA\x40\xFC\x4B\xFC\x4C", "≒纊ⅰ黑\uFFFDL"}};
  for (const auto& [bytes, text] : cases)
    EXPECT_EQ(DecodeLine(bytes, TextEncoding::ShiftJis, &invalid), text) << bytes;
  EXPECT_EQ(DecodeLine("\x82\xA0\x82\xA2\xFF", TextEncoding::ShiftJis, &invalid, 2), "あい");
  EXPECT_FALSE(invalid) << "a bad byte past the characters kept is no bad byte of the line";
}

// A bad byte of a UTF-8 list costs only itself: one U+FFFD per maximal bad sequence, and
// the rest of the line, reading and meaning included, stays.
TEST(TextFileUtf8, BadBytesOfABomListBecomeReplacementCharacters) {
  EXPECT_EQ(
      ReadAll("\xEF\xBB\xBF山川\tさんせん\tcaf\xE9 au lait\r\n"
              "山\xFF川\r\n学校\t\xE3\x81\tx\r\n\xF0\x9F\x98\xE2\x82\xAC\xED\xA0\x80\xC0\xAF\r\n"),
      (Lines{"山川\tさんせん\tcaf\uFFFD au lait", "山\uFFFD川", "学校\t\uFFFD\tx",
             "\uFFFD€\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD"}));
}

TEST(TextFileUtf8, ValidUtf8ListsAreReadAsUtf8WithOrWithoutBom) {
  EXPECT_EQ(ReadAll("山川\r\n学校\r\n"), (Lines{"山川", "学校"}));
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF山川\r\n学校"), (Lines{"山川", "学校"}));
  // Plain ASCII stays with the Shift-JIS reading (identical bytes either way).
  ScratchDir dir;
  dir.Write("a.dat", "ab\r\n");
  TextFile f;
  f.Open("a.dat", 10);
  EXPECT_EQ(f.encoding(), TextEncoding::ShiftJis);
}

TEST(TextFileUtf8, OnlyACertainUtf8ListIsReadAsUtf8AndThenLfEndsLines) {
  EXPECT_EQ(ReadAll("山川\n学校\r\n電車\r時間\n"), (Lines{"山川", "学校", "電車", "時間"}));
  EXPECT_EQ(ReadAll("\xEF\xBB\xBF山川\n学校"), (Lines{"山川", "学校"}));
  // A Shift-JIS list whose bytes happen to be valid UTF-8 throughout stays Shift-JIS,
  // and a Shift-JIS list with LF ends stays one line.
  const std::vector<std::string> words = {"羞恥", "瘴気", "茫洋", "茫然", "羚羊"};
  std::string sjis;
  for (const auto& w : words)
    sjis += ToCp932(w) + "\r\n";
  ASSERT_TRUE(IsValidUtf8(sjis));
  EXPECT_EQ(ReadAll(sjis), words);
  EXPECT_EQ(ReadAll(ToCp932("山川") + "\n" + ToCp932("学校")).size(), 1u);
}

// Through the game itself: the Shift-JIS list that is also valid UTF-8 deals its own
// compounds, and a list too short to play says why on the notice line.
TEST(TextFileInGame, ShiftJisListThatIsValidUtf8IsDealtAsItsCompounds) {
  const std::vector<std::string> words = {"羞恥", "瘴気", "茫洋", "茫然", "羚羊"};
  std::vector<std::string> twice = words;
  twice.insert(twice.end(), words.begin(), words.end());
  test::Program p(twice);
  ASSERT_TRUE(p.started());
  for (std::size_t i = 0; i < 8; ++i) {
    const std::string dealt = p.form().Label1[i]->Caption + p.form().Label2[i]->Caption;
    EXPECT_NE(std::find(words.begin(), words.end(), dealt), words.end()) << dealt;
  }

  std::string notice;
  ScratchDir dir;
  dir.Write("jyukugo.dat", ToCp932("山川\n学校\n電車\n"));
  HeadlessEngine engine;
  Runtime& rt = engine.runtime;
  rt.SetNoticeSink([&](const std::string& line) { notice += line + "\n"; });
  ASSERT_TRUE(rt.Start("Form1"));
  EXPECT_EQ(notice,
            "jyukugo.dat: 1 line (its lines end with LF alone, which a Shift-JIS list does not "
            "end a line with); a round needs 8\n");
}

TEST(TextFileLimits, ReadsNoFurtherThanAskedAndCapsLongLines) {
  std::string bytes;
  for (int i = 0; i < 3000; ++i)
    bytes += "ab\r\n";
  EXPECT_EQ(ReadAll(bytes, 2001).size(), 2001u);
  const auto lines = ReadAll(std::string(100000, 'z') + "\r\nq");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), TextFile::kMaxChars);
}

TEST(TextFileErrors, MissingDirectoryAndUnreadableFilesNameTheFile) {
  ScratchDir dir;
  TextFile f;
  try {
    f.Open("jyukugo.dat", 10);
    FAIL() << "a missing file must not open";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("jyukugo.dat"), std::string::npos);
    EXPECT_NE(std::string(e.what()).find("not found"), std::string::npos);
  }
  std::filesystem::create_directory(dir.path() / "d.dat");
  try {
    f.Open("d.dat", 10);
    FAIL() << "a directory must not open";
  } catch (const FatalError& e) {
    EXPECT_NE(std::string(e.what()).find("d.dat: is a directory"), std::string::npos);
  }
  // Neither a pipe nor a device may hold the reader: refused before a byte is read.
  ASSERT_EQ(mkfifo((dir.path() / "pipe.dat").c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", dir.path() / "zero.dat");
  for (const auto& [name, what] : {std::pair{"pipe.dat", "pipe.dat: is a named pipe, not a word"},
                                   std::pair{"zero.dat", "zero.dat: is a character device"}}) {
    try {
      f.Open(name, 2001);
      ADD_FAILURE() << name << " must not open";
    } catch (const FatalError& e) {
      EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
    }
  }
  // A file that grows past the byte budget without its lines ending is refused too.
  dir.Write("huge.dat", std::string((4 << 20) + 1, 'x'));
  EXPECT_THROW(f.Open("huge.dat", 1), FatalError);
  if (geteuid() != 0) {  // root reads files whatever their mode
    dir.Write("locked.dat", "ab\r\n");
    chmod((dir.path() / "locked.dat").c_str(), 0);
    EXPECT_THROW(f.Open("locked.dat", 10), FatalError);
  }
}

}  // namespace
}  // namespace quendar
