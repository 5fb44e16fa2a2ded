#include "study/strip.h"

#include <algorithm>

#include "elements/keys.h"
#include "elements/text.h"
#include "elements/window.h"
#include "study/strip_items.h"

namespace quendar {

using namespace strip;

namespace {

std::string Say(Lang lang, const ViewText& t) {
  return Words(lang, t.key, t.args);
}

}  // namespace

StudyStrip::StudyStrip(StudyRecord& record, std::string beside, Lang lang)
    : record_(record), beside_(std::move(beside)), lang_(lang) {
  panel_.input = this;
  record.OnReviewKey([this](int key) { return Key(key); });
}

const SidePanel* StudyStrip::For(const Window& window) {
  if (!record_.shown() || window.name() != beside_) return nullptr;
  if (builtRevision_ != record_.revision()) {
    Rebuild(window.clientHeightPx);
  } else if (builtOwn_ != ownRevision_ || height_ != window.clientHeightPx) {
    Layout(window.clientHeightPx);
    builtOwn_ = ownRevision_;
  }
  return &panel_;
}

void StudyStrip::Rebuild(int height) {
  const bool wasReview = view_.mode == StudyView::Mode::Review;
  view_ = BuildStudyView(record_);
  // The review keeps its place and choice while F2 hides and shows it.
  if (view_.mode != StudyView::Mode::Review || !wasReview) {
    scroll_ = 0;
    selected_ = -1;
    card_ = -1;
  }
  notice_.clear();
  Layout(height);
  builtRevision_ = record_.revision();
  builtOwn_ = ownRevision_;
}

void StudyStrip::Layout(int height) {
  height_ = height;
  panel_.width = kStripWidthPx;
  panel_.background = kPaper;
  panel_.items.clear();
  Items(panel_).Fill(0, 0, 1, height, kRule);
  if (view_.mode == StudyView::Mode::Review) {
    ReviewView(height);
    if (card_ >= 0) CardView();
  } else
    PlayView(height);
  ++panel_.revision;
}

void StudyStrip::PlayView(int height) {
  Items l(panel_);
  if (view_.mode == StudyView::Mode::Hint) {
    const std::string hint = Say(lang_, view_.heading);
    l.Text(kPad, 16, kInner, hint, FaceFor(hint), 13, kQuiet, 4);
    if (!view_.notice.empty())
      l.Text(kPad, 90, kInner, view_.notice, FaceFor(view_.notice), 12, kGroupInks[0], 6);
    return;
  }
  const ViewRow& last = view_.last;
  l.Text(kPad, 10, kInner, last.word, kMincho, 56, kInk);
  l.Text(kPad, 77, kInner, last.reading, kGothic, 16, kReadingInk);
  l.Pitch(kPad, 75, 16, kInner, last, {});
  l.Text(kPad, 98, kInner, last.meaning, FaceFor(last.meaning), 14, kMeaningInk, 2);
  l.Fill(kPad, 136, kInner, 1, kRule);
  if (view_.older.empty()) return;
  const std::string count = Say(lang_, view_.heading);
  l.Text(kPad, 142, kInner, count, FaceFor(count), 12, kQuiet);
  int y = 162;
  for (std::size_t i = 0; i < view_.older.size() && y + kRowHeight <= height; ++i, y += kRowHeight)
    l.Row(y, view_.older[i], kInk, {});
}

void StudyStrip::ReviewView(int height) {
  Items l(panel_);
  const std::string title = Say(lang_, view_.heading), summary = Say(lang_, view_.summary);
  l.Text(kPad, 8, kInner, title, FaceFor(title), 15, kInk, 1, {}, true);
  l.Text(kPad, 30, kInner, summary, FaceFor(summary), 12, kQuiet, 2);
  const std::string foot = notice_.empty() ? Words(lang_, "copyHint") : notice_;
  viewportTop_ = 64;
  viewportHeight_ = std::max(kRowHeight, height - 20 - viewportTop_);
  l.Fill(kPad, viewportTop_ - 2, kInner, 1, kRule);
  l.Fill(kPad, viewportTop_ + viewportHeight_, kInner, 1, kRule);
  l.Text(kPad, viewportTop_ + viewportHeight_ + 3, kInner, foot, FaceFor(foot), 12, kQuiet);

  // Every row has a place in the scrolled list; only those in sight become items, so a
  // review of two thousand compounds costs no more to draw than one of eight.
  rowTops_.clear();
  int y = 0;
  const PxRect viewport{0, viewportTop_, kStripWidthPx, viewportHeight_};
  auto inSight = [&](int top, int h) {
    return top + h > scroll_ && top < scroll_ + viewportHeight_;
  };
  for (const ViewGroup& g : view_.groups) {
    const Color ink = kGroupInks[static_cast<int>(g.group)];
    if (inSight(y, kHeadingHeight)) {
      const std::string name = Words(lang_, g.title) + " (" + std::to_string(g.rows.size()) + ")";
      l.Text(kPad, viewportTop_ + y - scroll_ + 3, kInner - 8, name, FaceFor(name), 12, ink, 1,
             viewport, true);
    }
    y += kHeadingHeight;
    for (const ViewRow& r : g.rows) {
      rowTops_.push_back({y, r.entry});
      if (inSight(y, kRowHeight)) {
        const int top = viewportTop_ + y - scroll_;
        if (r.entry == selected_) l.Fill(1, top, kStripWidthPx - 7, kRowHeight, kChosen, viewport);
        l.Row(top, r, ink, viewport);
      }
      y += kRowHeight;
    }
  }
  contentHeight_ = y;
  scroll_ = std::clamp(scroll_, 0, maxScroll());
  if (contentHeight_ > viewportHeight_) {
    // The bar: the track, and the thumb as long as the share of the list in sight.
    const int track = viewportHeight_;
    const int thumb = std::max(16, track * viewportHeight_ / contentHeight_);
    const int at = maxScroll() ? (track - thumb) * scroll_ / maxScroll() : 0;
    l.Fill(kStripWidthPx - 6, viewportTop_, 4, track, kRule);
    l.Fill(kStripWidthPx - 6, viewportTop_ + at, 4, thumb, kQuiet);
  }
}

bool StudyStrip::ScrollTo(int y) {
  const int to = std::clamp(y, 0, maxScroll());
  if (to == scroll_) return false;
  scroll_ = to;
  Touched();
  return true;
}

bool StudyStrip::Key(int keyCode) {
  if (view_.mode != StudyView::Mode::Review) return false;
  if (card_ >= 0) {
    // The card stands over the list: Escape closes it, and the list does not move under it.
    if (keyCode == KeyCode::kEscape) CloseCard();
    return keyCode == KeyCode::kEscape;
  }
  const int page = std::max(kRowHeight, viewportHeight_ - kRowHeight);
  if (keyCode == KeyCode::kPageUp) ScrollTo(scroll_ - page);
  if (keyCode == KeyCode::kPageDown) ScrollTo(scroll_ + page);
  if (keyCode == KeyCode::kHome) ScrollTo(0);
  if (keyCode == KeyCode::kEnd) ScrollTo(maxScroll());
  return keyCode != KeyCode::kEscape;
}

bool StudyStrip::Wheel(int notches) {
  if (view_.mode != StudyView::Mode::Review || card_ >= 0) return false;
  return ScrollTo(scroll_ - notches * kWheelStep);
}

bool StudyStrip::Click(double x, double y) {
  if (view_.mode == StudyView::Mode::Play && y < 136 && onSpeak_) {
    onSpeak_(view_.last.word);
    return false;
  }
  if (view_.mode != StudyView::Mode::Review || x < 0 || x >= kStripWidthPx) return false;
  if (card_ >= 0) {
    // The card's button closes it, and so does a click beside the card; one on it stays.
    const auto in = [&](const PxRect& r) {
      return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
    };
    if (in(cardRect_) && !in(closeRect_)) return false;
    CloseCard();
    return true;
  }
  if (y < viewportTop_ || y >= viewportTop_ + viewportHeight_) return false;
  const int at = static_cast<int>(y) - viewportTop_ + scroll_;
  int chosen = -1;
  for (const auto& [top, entry] : rowTops_)
    if (at >= top && at < top + kRowHeight) chosen = entry;
  // The row stays chosen under its card, for Ctrl+C; a click beside the rows lets it go.
  selected_ = chosen;
  card_ = chosen;
  if (selected_ >= 0 && onSpeak_)
    onSpeak_(record_.entries()[static_cast<std::size_t>(selected_)].word);
  notice_.clear();
  Touched();
  return true;
}

bool StudyStrip::ClickOutside() {
  if (card_ < 0) return false;
  CloseCard();
  return true;
}

void StudyStrip::CloseCard() {
  card_ = -1;
  Touched();
}

void StudyStrip::SetKanji(std::function<KanjiTable()> load, std::function<bool(char32_t)> strokes) {
  loadKanji_ = std::move(load);
  strokes_ = std::move(strokes);
  kanji_.reset();
  Touched();
}

std::string StudyStrip::CopyText() const {
  if (view_.mode != StudyView::Mode::Review || selected_ < 0) return {};
  for (const ViewGroup& g : view_.groups)
    for (const ViewRow& r : g.rows)
      if (r.entry == selected_) return quendar::CopyText(r);
  return {};
}

void StudyStrip::Copied() {
  const std::string text = CopyText();
  if (text.empty()) return;
  notice_ = Words(lang_, "copied", {text.substr(0, text.find('\t'))});
  Touched();
}

}  // namespace quendar
