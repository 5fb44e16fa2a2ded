// The review's kanji card on the desktop: both kanji of the compound a click chose, drawn
// large with their strokes numbered where the stroke order face has them, and each with
// its KANJIDIC2 meanings. It stands over the review's list inside the strip, so the field
// beside it is never touched.
#include <string>
#include <vector>

#include "elements/text.h"
#include "study/strip.h"
#include "study/strip_items.h"

namespace quendar {

using namespace strip;

namespace {

constexpr Color kCardPaper = 0xFFFFFF;
constexpr int kBox = 100;  // each kanji's square
constexpr int kGlyphPx = 88;
constexpr int kMeaningLines = 4;

void Outline(Items& l, const PxRect& r, Color c) {
  l.Fill(r.x, r.y, r.w, 1, c);
  l.Fill(r.x, r.y + r.h - 1, r.w, 1, c);
  l.Fill(r.x, r.y, 1, r.h, c);
  l.Fill(r.x + r.w - 1, r.y, 1, r.h, c);
}

}  // namespace

void StudyStrip::CardView() {
  const std::string& word = record_.entries()[static_cast<std::size_t>(card_)].word;
  // The table is read when the first card opens, never at start-up.
  if (!kanji_) kanji_ = loadKanji_ ? loadKanji_() : KanjiTable::Parse("", "kanji.tsv");
  const std::vector<KanjiCardEntry> card = KanjiCard(*kanji_, word);

  Items l(panel_);
  // Over the list, leaving its foot, which says what Ctrl+C copied.
  cardRect_ = {4, viewportTop_ - 2, kStripWidthPx - 8, viewportHeight_ + 3};
  const PxRect& c = cardRect_;
  l.Fill(c.x, c.y, c.w, c.h, kCardPaper);
  Outline(l, c, kQuiet);
  const std::string title = Words(lang_, "kanjiOf", {word});
  l.Text(c.x + 10, c.y + 10, c.w - 20, title, FaceFor(title), 15, kInk, 1, {}, true);

  int x = c.x + 8;
  bool stroked = false;
  for (const KanjiCardEntry& k : card) {
    std::size_t at = 0;
    const char32_t cp = NextCodePoint(k.kanji, at);
    const bool strokes = strokes_ && strokes_(cp);
    stroked = stroked || strokes;
    const PxRect box{x, c.y + 36, kBox, kBox};
    Outline(l, box, kRule);
    // The numbered face would show a blank box for a character it lacks: Mincho draws those.
    l.Text(box.x + (kBox - kGlyphPx) / 2, box.y + 4, kGlyphPx, k.kanji,
           strokes ? kStrokeFace : kMincho, kGlyphPx, kInk, 1, box);
    x += kBox + 8;
  }

  int y = c.y + 36 + kBox + 12;
  for (const KanjiCardEntry& k : card) {
    l.Text(c.x + 10, y, 24, k.kanji, kMincho, 18, kInk);
    const std::string meanings = k.meanings.empty() ? Words(lang_, "noMeanings") : k.meanings;
    l.Text(c.x + 36, y + 2, c.w - 46, meanings, FaceFor(meanings), 13,
           k.meanings.empty() ? kQuiet : kMeaningInk, kMeaningLines);
    y += 4 + kMeaningLines * 16;
  }
  if (!kanji_->problem().empty())
    l.Text(c.x + 10, y, c.w - 20, kanji_->problem(), kLatinFace, 11, kGroupInks[0], 2);

  // The button, and above it the credit the dictionary's and the face's licences ask for.
  closeRect_ = {c.x + c.w - 90, c.y + c.h - 38, 80, 28};
  const PxRect& b = closeRect_;
  l.Fill(b.x, b.y, b.w, b.h, kChosen);
  Outline(l, b, kQuiet);
  const std::string close = Words(lang_, "close");
  l.Text(b.x + 10, b.y + 6, b.w - 20, close, FaceFor(close), 13, kInk);
  std::string credit = Words(lang_, "kanjiMeaningsCredit");
  if (stroked) credit.append(" ").append(Words(lang_, "strokeCredit"));
  l.Text(c.x + 10, b.y - 8 - 6 * 13, c.w - 20, credit, FaceFor(credit), 10, kQuiet, 6);
}

}  // namespace quendar
