// Reading word lists: line ends, Shift-JIS with awkward trail bytes, UTF-8, bad bytes,
// limits, and files that cannot be read.
#include "elements/textfile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "elements/runtime.h"
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
  if (geteuid() != 0) {  // root reads files whatever their mode
    dir.Write("locked.dat", "ab\r\n");
    chmod((dir.path() / "locked.dat").c_str(), 0);
    EXPECT_THROW(f.Open("locked.dat", 10), FatalError);
  }
}

}  // namespace
}  // namespace quendar
