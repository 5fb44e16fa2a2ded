#include "study/strip.h"

#include <string>

#include "elements/window.h"

namespace quendar {

namespace {

constexpr const char* kMincho = "ＭＳ 明朝";
constexpr const char* kGothic = "ＭＳ ゴシック";
constexpr Color kPaper = 0xFAF7EF;
constexpr Color kRule = 0xD6CFC0;
constexpr Color kInk = 0x202020;
constexpr Color kReadingInk = 0x8A3A1A;
constexpr Color kMeaningInk = 0x404040;
constexpr Color kQuiet = 0x7A7468;
constexpr Color kMissedInk = 0xB02818;
constexpr Color kShakyInk = 0xA86808;
constexpr Color kMatchedInk = 0x1E6A34;
constexpr int kPad = 12;
constexpr int kInner = kStripWidthPx - 2 * kPad;
constexpr int kRowHeight = 38;

class Layout {
 public:
  explicit Layout(SidePanel& panel) : panel_(panel) {}
  void Text(int x, int y, int w, const std::string& text, const char* face, int px, Color c,
            int lines = 1) {
    if (text.empty()) return;
    panel_.items.push_back({DrawOp::Text, {x, y, w, 0}, c, text, face, px, lines});
  }
  void Fill(int x, int y, int w, int h, Color c) {
    panel_.items.push_back({DrawOp::Fill, {x, y, w, h}, c, {}, {}, 0, 1});
  }
  // One compound on a row: the compound, its reading beside it and the meaning under that.
  void Row(int y, const StudyEntry& e, Color wordInk, const std::string& mark) {
    Text(kPad, y + 2, 52, e.word, kMincho, 20, wordInk);
    const int right = mark.empty() ? 0 : 30;
    Text(66, y, kStripWidthPx - 66 - kPad - right, e.reading, kGothic, 12, kReadingInk);
    Text(66, y + 17, kStripWidthPx - 66 - kPad, e.meaning, kGothic, 11, kMeaningInk);
    if (!mark.empty()) Text(kStripWidthPx - kPad - 28, y, 28, mark, kGothic, 12, kMissedInk);
  }

 private:
  SidePanel& panel_;
};

void PlayView(const StudyRecord& record, int height, Layout& l) {
  const auto& entries = record.entries();
  if (record.lastMatched() < 0) {
    l.Text(kPad, 16, kInner, "Matched compounds show here with their readings and meanings.",
           kGothic, 12, kQuiet, 3);
    return;
  }
  const StudyEntry& last = entries[static_cast<std::size_t>(record.lastMatched())];
  l.Text(kPad, 10, kInner, last.word, kMincho, 56, kInk);
  l.Text(kPad, 76, kInner, last.reading, kGothic, 16, kReadingInk);
  l.Text(kPad, 98, kInner, last.meaning, kGothic, 13, kMeaningInk, 2);
  l.Fill(kPad, 136, kInner, 1, kRule);
  const auto& order = record.matchOrder();
  if (order.size() < 2) return;
  l.Text(kPad, 142, kInner, "Matched this run: " + std::to_string(order.size()), kGothic, 11,
         kQuiet);
  int y = 162;
  for (std::size_t i = 1; i < order.size() && y + kRowHeight <= height; ++i, y += kRowHeight)
    l.Row(y, entries[static_cast<std::size_t>(order[i])], kInk, "");
}

void ReviewView(const StudyRecord& record, int height, Layout& l) {
  const auto& entries = record.entries();
  int counts[3] = {0, 0, 0};
  for (const StudyEntry& e : entries)
    ++counts[static_cast<int>(GroupOf(e))];
  l.Text(kPad, 10, kInner, "Review of this run", kGothic, 15, kInk);
  l.Text(kPad, 32, kInner,
         std::to_string(counts[0]) + " not matched · " + std::to_string(counts[1]) +
             " after misses · " + std::to_string(counts[2]) + " matched",
         kGothic, 11, kQuiet, 2);
  static const char* const kHeadings[3] = {"Not matched", "Matched after wrong shots", "Matched"};
  static const Color kInks[3] = {kMissedInk, kShakyInk, kMatchedInk};
  const std::vector<int> order = ReviewOrder(entries);
  int y = 62;
  int group = -1;
  std::size_t shown = 0;
  // Keep one line at the bottom for how many did not fit.
  const int bottom = height - 18;
  for (int i : order) {
    const StudyEntry& e = entries[static_cast<std::size_t>(i)];
    const int g = static_cast<int>(GroupOf(e));
    const int need = kRowHeight + (g != group ? 18 : 0);
    if (y + need > bottom) break;
    if (g != group) {
      l.Fill(kPad, y + 2, kInner, 1, kRule);
      l.Text(kPad, y + 4, kInner, kHeadings[g], kGothic, 11, kInks[g]);
      y += 18;
      group = g;
    }
    l.Row(y, e, kInks[g], e.wrong ? "×" + std::to_string(e.wrong) : "");
    y += kRowHeight;
    ++shown;
  }
  if (shown < order.size())
    l.Text(kPad, bottom + 2, kInner, "… and " + std::to_string(order.size() - shown) + " more",
           kGothic, 11, kQuiet);
}

}  // namespace

void BuildStrip(const StudyRecord& record, int heightPx, SidePanel& panel) {
  panel.width = kStripWidthPx;
  panel.background = kPaper;
  panel.items.clear();
  Layout l(panel);
  l.Fill(0, 0, 1, heightPx, kRule);
  if (record.ended())
    ReviewView(record, heightPx, l);
  else
    PlayView(record, heightPx, l);
  ++panel.revision;
}

const SidePanel* StudyStrip::For(const Window& window) {
  if (!record_.shown() || window.name() != beside_) return nullptr;
  if (builtRevision_ != record_.revision()) {
    BuildStrip(record_, window.clientHeightPx, panel_);
    builtRevision_ = record_.revision();
  }
  return &panel_;
}

}  // namespace quendar
