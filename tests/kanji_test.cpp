// The kanji card's meanings: the shipped table read whole, and every kind of bad file
// leaving a card of bare kanji with a message naming the file, never a crash.
#include "study/kanji.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/harness.h"

namespace quendar {
namespace {

TEST(Kanji, ShippedTableGivesEveryLineAndACard) {
  const std::string path = std::string(QUENDAR_SOURCE_DIR) + "/assets/kanji.tsv";
  const KanjiTable table = KanjiTable::Load(path);
  EXPECT_EQ(table.problem(), "");
  EXPECT_GT(table.size(), 1900u);  // every line read: no problem named
  const std::string json = KanjiCardJson(KanjiCard(table, "学校\tがっこう"));
  EXPECT_EQ(json.rfind(R"([{"kanji": "学", "meanings": "study; learning;)", 0), 0u) << json;
  EXPECT_NE(json.find(R"(}, {"kanji": "校", "meanings": "exam; school;)"), std::string::npos);
  EXPECT_NE(KanjiCard(table, "日々")[1].meanings.find("repeats"), std::string::npos);
}

TEST(Kanji, BadFilesGiveBareKanjiAndSayWhy) {
  test::ScratchDir dir;
  ASSERT_EQ(mkfifo("pipe.tsv", 0600), 0);
  dir.Write("big.tsv", "");
  std::filesystem::resize_file("big.tsv", KanjiTable::kMaxBytes + 1);
  dir.Write("garbage.tsv", std::string("\x89PNG\r\n\x1a\n\0\xff\xfe", 12) + "学\n\t\n学校\tx\n");
  dir.Write("cut.tsv", "学\tstudy\n校\tsch\xe3\x81");  // cut inside a character
  for (const auto& [file, says] : std::vector<std::pair<std::string, std::string>>{
           {"none.tsv", "none.tsv: file not found"},
           {"pipe.tsv", "pipe.tsv: is a named pipe, not the kanji table"},
           {"/dev/zero", "/dev/zero: is a character device, not the kanji table"},
           {"big.tsv", "big.tsv: is 4 MiB, far too large for the kanji table"},
           {"garbage.tsv", "garbage.tsv: 5 lines are not \"kanji TAB meanings\" (line 1)"},
           {"cut.tsv", "cut.tsv: 1 line is not \"kanji TAB meanings\" (line 2)"}}) {
    const KanjiTable table = KanjiTable::Load(file);
    EXPECT_EQ(table.problem(), says);
    EXPECT_EQ(KanjiCardJson(KanjiCard(table, "学校")),
              std::string(R"([{"kanji": "学", "meanings": ")") +
                  (file == "cut.tsv" ? "study" : "") + R"("}, {"kanji": "校", "meanings": ""}])");
  }
  // Hostile meanings and compounds: cut, escaped, never more than two characters.
  const KanjiTable table =
      KanjiTable::Parse("学\t\"" + std::string(500, 'm') + "\\\n校\tbell\x07\n");
  EXPECT_EQ(KanjiCard(table, "学")[0].meanings, "\"" + std::string(159, 'm') + "…");
  EXPECT_EQ(KanjiCard(table, "校学")[0].meanings, "");
  EXPECT_TRUE(KanjiCard(table, "\xff\xfe").empty());
  EXPECT_EQ(KanjiCard(table, "a\nb").size(), 1u);
  EXPECT_EQ(KanjiCardJson(KanjiCard(table, "\"\\")),
            R"([{"kanji": "\"", "meanings": ""}, {"kanji": "\\", "meanings": ""}])");
}

}  // namespace
}  // namespace quendar
