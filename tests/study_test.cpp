// The learner layer beside the game: it sees every deal and every judged shot, changes
// nothing the game does, and leaves a review that is itself a word list.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "app/check_list.h"
#include "app/driver.h"
#include "study/record.h"
#include "study/review_file.h"
#include "tests/harness.h"

namespace quendar {
namespace {

using test::ScratchDir;

std::vector<std::string> RunScript(const std::string& script) {
  std::ostringstream out, err;
  Driver d(out, err);
  std::istringstream in(script);
  std::string line;
  for (int n = 1; std::getline(in, line); ++n)
    EXPECT_FALSE(d.RunLine(line, n)) << err.str();
  std::vector<std::string> snaps;
  std::istringstream lines(out.str());
  while (std::getline(lines, line))
    snaps.push_back(line);
  return snaps;
}

std::string Annotated(const std::vector<std::string>& words) {
  std::string bytes;
  for (std::size_t i = 0; i < words.size(); ++i)
    bytes += test::ToCp932(words[i] + "\tよみ\tmeaning " + std::to_string(i)) + "\r\n";
  return bytes;
}

TEST(Study, AnnotationsChangeNothingButTheStudyRecord) {
  // A whole run: the opening, shots right and wrong, the end command and a shot after it.
  const std::string script =
      "seed 11\nstart\nwait 2600\nsnapshot\nkey 39\nkey 38\nwait 700\nkey 13\nwait 700\n"
      "click Label2(5)\nwait 700\nkey 113\nkey 40\nwait 9000\nsnapshot\nmenu owaru\n"
      "click Label2(2)\nwait 700\nsnapshot\n";
  const auto words = test::SampleWords(40);
  std::vector<std::string> plain, annotated;
  {
    ScratchDir dir;
    dir.Write("jyukugo.dat", test::WordFile(words));
    plain = RunScript(script);
  }
  {
    ScratchDir dir;
    dir.Write("jyukugo.dat", Annotated(words));
    annotated = RunScript(script);
  }
  ASSERT_EQ(plain.size(), 3u);
  ASSERT_EQ(annotated.size(), 3u);
  const std::regex study(",\"study\":\\{.*\\}\\}$");
  for (std::size_t i = 0; i < plain.size(); ++i)
    EXPECT_EQ(std::regex_replace(plain[i], study, "}"),
              std::regex_replace(annotated[i], study, "}"));
  EXPECT_NE(plain[0].find("\"study\":{\"shown\":false"), std::string::npos);
  EXPECT_NE(annotated[0].find("\"study\":{\"shown\":true"), std::string::npos);
  // F2 hid the strip, the end command shows the review, the annotation travels with its word.
  EXPECT_NE(annotated[2].find("\"shown\":false,\"ended\":true"), std::string::npos);
  EXPECT_NE(annotated[2].find("\"reading\":\"よみ\",\"meaning\":\"meaning "), std::string::npos);
}

TEST(Study, ShotsCountAgainstTheTargetsCompoundAndTheReviewIsAPlayableList) {
  test::Program p(test::SampleWords(24), 5);
  Form1& f = p.form();
  p.Wait(30);
  const auto& entries = p.study().entries();
  ASSERT_EQ(entries.size(), 8u);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(entries[i].word, f.Label1[i]->Caption + f.Label2[i]->Caption);
    EXPECT_EQ(entries[i].deal, 1);
  }
  const int missed = f.targetCol;
  test::Shoot(p, false);
  test::Shoot(p, false);
  EXPECT_EQ(entries[static_cast<std::size_t>(missed)].wrong, 2);
  // The same target, now hit: matched after two wrong shots.
  ASSERT_EQ(f.targetCol, missed);
  test::Shoot(p, true);
  EXPECT_TRUE(entries[static_cast<std::size_t>(missed)].matched);
  ASSERT_TRUE(p.WaitUntil([&] { return f.targetCol != missed; }, 5000));
  const int second = f.targetCol;
  test::Shoot(p, true);
  ASSERT_TRUE(p.WaitUntil([&] { return f.targetCol != second; }, 5000));
  // After the end command the game still judges a shot, and the record follows it.
  p.rt().Menu("owaru");
  EXPECT_TRUE(p.study().ended());
  const int late = f.targetCol;
  test::Shoot(p, false);
  int wrongTotal = 0, matchedTotal = 0;
  for (const StudyEntry& e : entries) {
    wrongTotal += e.wrong;
    matchedTotal += e.matched;
  }
  EXPECT_EQ(wrongTotal, 3);
  EXPECT_EQ(matchedTotal, 2);
  EXPECT_GE(entries[static_cast<std::size_t>(late)].wrong, 1);

  // The review: never matched first, then matched after misses, then matched, then the
  // compounds never the target.
  const std::string review = ReviewText(entries);
  std::istringstream lines(review.substr(3));
  std::vector<std::string> rows;
  for (std::string line; std::getline(lines, line);)
    rows.push_back(line);
  ASSERT_EQ(rows.size(), 8u);
  auto rowOf = [&](int entry) {
    for (std::size_t r = 0; r < rows.size(); ++r)
      if (rows[r].starts_with(entries[static_cast<std::size_t>(entry)].word + "\t")) return r;
    return rows.size();
  };
  EXPECT_NE(rows[rowOf(missed)].find("\t\t\t\tmatched after 2 wrong shots\r"), std::string::npos);
  EXPECT_NE(rows[rowOf(second)].find("\t\t\t\tmatched\r"), std::string::npos);
  EXPECT_NE(rows[0].find("not matched"), std::string::npos);
  auto rank = [](const std::string& row) {
    for (int g = 0; const char* r : {"\tnot matched", "\tmatched after", "\tmatched\r"}) {
      if (row.find(r) != std::string::npos) return g;
      ++g;
    }
    return row.find("\tnot reached\r") != std::string::npos ? 3 : -1;
  };
  for (std::size_t r = 1; r < rows.size(); ++r)
    EXPECT_LE(rank(rows[r - 1]), rank(rows[r])) << rows[r];

  // Written whole, it is a list the checker passes and the game deals from.
  ASSERT_FALSE(WriteReviewFile("review.tsv", review));
  std::ostringstream report;
  EXPECT_EQ(CheckWordList("review.tsv", report), 0) << report.str();
  std::set<std::string> reviewed;
  for (const StudyEntry& e : entries)
    reviewed.insert(e.word);
  ScratchDir again;
  std::filesystem::copy_file(p.dir().path() / "review.tsv", again.path() / "jyukugo.dat");
  const auto snaps = RunScript("seed 3\nstart Form1\nsnapshot\n");
  ASSERT_EQ(snaps.size(), 1u);
  int dealt = 0;
  const std::regex word("\"word\":\"([^\"]*)\"");
  for (std::sregex_iterator it(snaps[0].begin(), snaps[0].end(), word), end; it != end;
       ++it, ++dealt)
    EXPECT_TRUE(reviewed.count((*it)[1])) << (*it)[1];
  EXPECT_EQ(dealt, 8);

  // A review goes only to a regular file in a folder that exists.
  ASSERT_EQ(mkfifo("pipe", 0600), 0);
  EXPECT_NE(ReviewTargetProblem("pipe").value_or("").find("pipe: is a named pipe"),
            std::string::npos);
  EXPECT_NE(ReviewTargetProblem("nowhere/review.tsv").value_or("").find("does not exist"),
            std::string::npos);
  EXPECT_TRUE(WriteReviewFile(".", review).has_value());
}

TEST(Study, ColumnsAreReadSafely) {
  const Annotation a = AnnotationOf("学校\tが\x1b[2Jっこう\tschool\x07 bell\textra\tmore");
  EXPECT_EQ(a.reading, "が[2Jっこう");
  EXPECT_EQ(a.meaning, "school bell");
  EXPECT_EQ(AnnotationOf("学校").reading, "");
  EXPECT_EQ(AnnotationOf("\t\t\t").meaning, "");
}

}  // namespace
}  // namespace quendar
