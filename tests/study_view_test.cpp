// The study view every screen renders, and the desktop strip that lays it out: built from a
// scripted run, in both languages, a stray shot after a match blaming nobody, the whole
// review reachable by scrolling, and a row copied.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "app/check_list.h"
#include "elements/keys.h"
#include "elements/text.h"
#include "study/kanji.h"
#include "study/pitch.h"
#include "study/review_file.h"
#include "study/strip.h"
#include "study/view.h"
#include "tests/harness.h"

namespace quendar {
namespace {

// Widths by bytes: enough to fit text, and the same on every machine.
class ByteMetrics : public TextMetrics {
 public:
  int LineHeight(const std::string&, int px, bool) override { return px + 2; }
  int Width(std::string_view text, const std::string&, int px, bool) override {
    return static_cast<int>(text.size()) * px / 3;
  }
};

std::vector<std::string> Annotated(int count) {
  std::vector<std::string> lines;
  for (const std::string& w : test::SampleWords(count))
    lines.push_back(w + "\tよみ" + std::to_string(lines.size()) + "\tmeaning " +
                    std::to_string(lines.size()));
  return lines;
}

// The strip's text as drawn in the panel's part of a frame, each with its top edge.
std::vector<std::pair<std::string, int>> StripTexts(StudyStrip& strip, const Window& w) {
  ByteMetrics metrics;
  const Frame f = BuildWindowFrame(w, 812, 586, -1, metrics, strip.For(w));
  std::vector<std::pair<std::string, int>> out;
  for (const DrawCommand& c : f.commands)
    if (c.op == DrawOp::Text && !Intersect(c.clip, f.panel).Empty() && !c.clip.Empty())
      out.push_back({c.text, c.rect.y - f.panel.y});
  return out;
}

bool Shows(const std::vector<std::pair<std::string, int>>& texts, const std::string& s) {
  return std::any_of(texts.begin(), texts.end(), [&](const auto& t) { return t.first == s; });
}

// Fires the bottom block of `slot` and waits until the shot is judged.
void Fire(test::Program& p, int slot) {
  ASSERT_TRUE(p.rt().Click("Label2", slot));
  ASSERT_TRUE(p.WaitUntil([&] { return !p.form().Timer2->Enabled(); }, 2000));
}

TEST(StudyView, TheViewIsWhatTheStripShowsInBothLanguagesAndAStrayShotBlamesNobody) {
  test::Program p(Annotated(24), 7);
  Form1& f = p.form();
  StudyRecord& record = p.study();
  // The first target drawn, then hit.
  ASSERT_TRUE(p.WaitUntil([&] { return f.targetTick == 0 && p.rt().Now() > 100; }, 5000));
  const int hit = f.targetCol;
  Fire(p, hit);
  const StudyEntry& matched = record.entries()[static_cast<std::size_t>(hit)];
  ASSERT_TRUE(matched.matched);
  // The target still points at the pair just matched: a wrong shot now is the game's miss
  // (it costs points) but counts against no compound.
  const int scoreBefore = f.score;
  Fire(p, (hit + 1) % 8);
  ASSERT_EQ(f.targetCol, hit);
  EXPECT_EQ(f.score, scoreBefore - 5);
  for (const StudyEntry& e : record.entries())
    EXPECT_EQ(e.wrong, 0) << e.word;

  StudyView v = BuildStudyView(record);
  ASSERT_EQ(v.mode, StudyView::Mode::Play);
  EXPECT_EQ(v.last.word, matched.word);
  EXPECT_EQ(v.announce.args,
            (std::vector<std::string>{matched.word, matched.reading, matched.meaning}));
  p.rt().Menu("owaru");
  v = BuildStudyView(record);
  ASSERT_EQ(v.mode, StudyView::Mode::Review);
  // Matched, then the compounds never the target; nothing was missed.
  ASSERT_EQ(v.groups.size(), 2u);
  EXPECT_EQ(v.groups[0].group, ReviewGroup::Matched);
  EXPECT_EQ(v.groups[0].rows[0].word, matched.word);
  EXPECT_EQ(v.groups[1].group, ReviewGroup::NotReached);
  EXPECT_EQ(v.groups[1].rows.size(), 7u);
  EXPECT_EQ(AgainText(record.entries(), 8), "");
  const std::string json = ViewJson(v);
  EXPECT_NE(json.find("\"mode\":\"review\""), std::string::npos);
  EXPECT_NE(json.find("\"title\":\"group.notReached\",\"group\":3"), std::string::npos);

  // Each language's strip draws the view's words from the one table.
  for (Lang lang : {Lang::En, Lang::Ja}) {
    StudyStrip strip(record, "Form1", lang);
    const auto texts = StripTexts(strip, f);
    EXPECT_TRUE(Shows(texts, Words(lang, "review")));
    for (const ViewGroup& g : v.groups) {
      EXPECT_TRUE(Shows(texts, Words(lang, g.title) + " (" + std::to_string(g.rows.size()) + ")"))
          << Words(lang, g.title);
      for (const ViewRow& r : g.rows) {
        EXPECT_TRUE(Shows(texts, r.word)) << r.word;
        EXPECT_TRUE(Shows(texts, r.reading)) << r.reading;
        EXPECT_TRUE(Shows(texts, r.meaning)) << r.meaning;
      }
    }
  }
  EXPECT_NE(Words(Lang::Ja, "review"), Words(Lang::En, "review"));
}

// The face each text of the strip is drawn in.
std::map<std::string, std::string> StripFaces(StudyStrip& strip, const Window& w) {
  ByteMetrics metrics;
  const Frame f = BuildWindowFrame(w, 812, 586, -1, metrics, strip.For(w));
  std::map<std::string, std::string> faces;
  for (const DrawCommand& c : f.commands)
    if (c.op == DrawOp::Text && !Intersect(c.clip, f.panel).Empty()) faces[c.text] = c.face;
  return faces;
}

TEST(StudyView, TheDesktopReviewScrollsToItsLastRowCopiesOneAndOpensItsKanjiCard) {
  // Nobody plays: every round ends with a block at the bottom, until the list runs out.
  test::Program p(Annotated(48), 3);
  ASSERT_TRUE(p.WaitUntil([&] { return p.study().ended(); }, 3600000));
  StudyRecord& record = p.study();
  ASSERT_GE(record.entries().size(), 40u);
  StudyStrip strip(record, "Form1");
  const Window& w = p.form();
  const StudyView v = BuildStudyView(record);
  const ViewRow& lastRow = v.groups.back().rows.back();
  auto texts = StripTexts(strip, w);
  EXPECT_FALSE(Shows(texts, lastRow.meaning));
  EXPECT_GT(strip.maxScroll(), 0);

  // End reaches the game as a key, but the game has ended: the strip takes it.
  const std::string before = p.form().Label8[0]->Visible ? "shown" : "hidden";
  EXPECT_FALSE(p.rt().Key(KeyCode::kEnd));
  EXPECT_EQ(before, p.form().Label8[0]->Visible ? "shown" : "hidden");
  EXPECT_EQ(strip.scroll(), strip.maxScroll());
  texts = StripTexts(strip, w);
  ASSERT_TRUE(Shows(texts, lastRow.meaning));
  for (const auto& [text, y] : texts) {
    if (text == lastRow.meaning) {
      EXPECT_LT(y + 15, w.clientHeightPx - 20) << "below the list";
    }
  }

  // The wheel and Home go back; PageDown goes a page at a time.
  EXPECT_TRUE(strip.Wheel(1));
  EXPECT_LT(strip.scroll(), strip.maxScroll());
  p.rt().Key(KeyCode::kHome);
  EXPECT_EQ(strip.scroll(), 0);
  p.rt().Key(KeyCode::kPageDown);
  EXPECT_GT(strip.scroll(), 0);
  p.rt().Key(KeyCode::kHome);

  // A click on the first row chooses it and opens its kanji card: the table is read then,
  // once; the face numbers the strokes of the kanji it has, Mincho draws the other, which
  // has no meanings.
  const ViewRow& first = v.groups.front().rows.front();
  const std::string k1 = FirstChars(first.word, 1), k2 = first.word.substr(k1.size());
  int loads = 0;
  strip.SetKanji(
      [&] {
        ++loads;
        return KanjiTable::Parse(k1 + "\tfirst meaning; other\n");
      },
      [&](char32_t c) {
        std::size_t at = 0;
        return c == NextCodePoint(k1, at);
      });
  EXPECT_TRUE(strip.Click(100, 64 + 20 + 10));
  ASSERT_EQ(strip.card(), first.entry);
  auto faces = StripFaces(strip, w);
  EXPECT_TRUE(faces.count(Words(Lang::En, "kanjiOf", {first.word})));
  EXPECT_EQ(faces["first meaning; other"], kLatinFace);
  EXPECT_TRUE(faces.count(Words(Lang::En, "noMeanings")));
  ByteMetrics metrics;
  std::vector<std::string> stroked;
  for (const DrawCommand& c : BuildWindowFrame(w, 812, 586, -1, metrics, strip.For(w)).commands)
    if (c.face == kStrokeFace) stroked.push_back(c.text);
  EXPECT_EQ(stroked, std::vector<std::string>{k1});
  EXPECT_EQ(faces[k2], "ＭＳ 明朝");
  // Ctrl+C copies compound, reading and meaning of the row under the card.
  EXPECT_EQ(strip.CopyText(), first.word + "\t" + first.reading + "\t" + first.meaning);
  strip.Copied();
  EXPECT_TRUE(Shows(StripTexts(strip, w), Words(Lang::En, "copied", {first.word})));

  // The card never moves the list under it.
  const int at = strip.scroll();
  EXPECT_FALSE(strip.Wheel(-1));
  EXPECT_FALSE(p.rt().Key(KeyCode::kPageDown));
  EXPECT_EQ(strip.scroll(), at);
  // A click on the card stays; Escape, a click beside it, or its button closes it.
  EXPECT_FALSE(strip.Click(100, 200));
  EXPECT_FALSE(p.rt().Key(KeyCode::kEscape));
  EXPECT_EQ(strip.card(), -1);
  EXPECT_FALSE(Shows(StripTexts(strip, w), Words(Lang::En, "kanjiOf", {first.word})));
  const std::function<bool()> closers[] = {[&] { return strip.ClickOutside(); },
                                           [&] { return strip.Click(100, 20); },
                                           [&] { return strip.Click(170, w.clientHeightPx - 40); }};
  for (const auto& close : closers) {
    strip.Click(100, 64 + 20 + 10);
    ASSERT_EQ(strip.card(), first.entry);
    EXPECT_TRUE(close());
    EXPECT_EQ(strip.card(), -1);
  }
  EXPECT_FALSE(strip.ClickOutside());
  EXPECT_EQ(loads, 1);
}

TEST(StudyView, TheAccentTravelsFromTheListToTheViewTheReviewAndTheChecker) {
  EXPECT_EQ(Moras("じてんしゃ"), (std::vector<std::string>{"じ", "て", "ん", "しゃ"}));
  EXPECT_EQ(Moras("がっこう").size(), 4u);
  EXPECT_EQ(PitchPattern(0, 4), "LHHH");
  EXPECT_EQ(PitchPattern(1, 4), "HLLL");
  EXPECT_EQ(PitchPattern(3, 4), "LHHL");
  EXPECT_EQ(AccentOf("4", "じてんしゃ"), 4);
  EXPECT_EQ(AccentOf("5", "じてんしゃ"), -1);
  EXPECT_EQ(AccentOf("x", "じてんしゃ"), -1);

  std::vector<std::string> lines;
  for (const std::string& w : test::SampleWords(16))
    lines.push_back(w + "\tじてんしゃ\tbicycle\t" + std::to_string(lines.size() % 5));
  test::Program p(lines, 5);
  p.rt().Menu("owaru");
  const StudyView v = BuildStudyView(p.study());
  for (const ViewGroup& g : v.groups)
    for (const ViewRow& r : g.rows) {
      EXPECT_EQ(r.moras.size(), 4u);
      EXPECT_EQ(r.pitch, PitchPattern(r.accent, 4)) << r.word;
    }
  // The review file: the accent is the fourth column, the result the fifth; a list itself.
  const std::string review = ReviewText(p.study().entries());
  const StudyEntry& first = p.study().entries()[0];
  ASSERT_GE(first.accent, 0);
  EXPECT_NE(review.find(first.word + "\tじてんしゃ\tbicycle\t" + std::to_string(first.accent) +
                        "\tnot reached\r\n"),
            std::string::npos);
  ASSERT_FALSE(WriteReviewFile("review.tsv", review));
  std::ostringstream ok;
  EXPECT_EQ(CheckWordList("review.tsv", ok), 0) << ok.str();
  EXPECT_NE(ok.str().find("8 of 8 lines carry a reading, 8 a meaning, 8 an accent"),
            std::string::npos)
      << ok.str();
  // An accent past the reading's last mora is named with its line.
  p.dir().Write("bad.dat", test::WordFile({lines[0], lines[1], lines[2] + "9"}));
  std::ostringstream bad;
  CheckWordList("bad.dat", bad);
  EXPECT_NE(bad.str().find("bad.dat:3: the accent (fourth column) is not a number from 0 to"),
            std::string::npos)
      << bad.str();
}

}  // namespace
}  // namespace quendar
