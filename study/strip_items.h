// What the study strip draws with, shared by its views and its kanji card: the inks, the
// sizes, and the items of a panel laid out at scale 1.
#pragma once

#include <algorithm>
#include <string>

#include "elements/frame.h"
#include "elements/text.h"
#include "study/strip.h"
#include "study/view.h"

namespace quendar::strip {

constexpr const char* kMincho = "ＭＳ 明朝";
constexpr const char* kGothic = "ＭＳ ゴシック";
constexpr Color kPaper = 0xFAF7EF;
constexpr Color kRule = 0xD6CFC0;
constexpr Color kInk = 0x202020;
constexpr Color kReadingInk = 0x8A3A1A;
constexpr Color kMeaningInk = 0x404040;
constexpr Color kQuiet = 0x6A645A;
constexpr Color kChosen = 0xE8DFC8;
constexpr Color kPitchInk = 0x8A3A1A;
constexpr Color kGroupInks[4] = {0xB02818, 0x9A5A00, 0x1E6A34, 0x6A645A};
constexpr int kPad = 12;
constexpr int kInner = kStripWidthPx - 2 * kPad;
constexpr int kRowHeight = 40;
constexpr int kHeadingHeight = 20;
constexpr int kWheelStep = 3 * kRowHeight;

// Latin text reads best in a proportional face; anything with kana or kanji needs a
// Japanese one.
inline const char* FaceFor(const std::string& text) {
  for (std::size_t i = 0; i < text.size();)
    if (NextCodePoint(text, i) >= 0x2E80) return kGothic;
  return kLatinFace;
}

class Items {
 public:
  explicit Items(SidePanel& panel) : panel_(panel) {}
  void Text(int x, int y, int w, const std::string& text, const char* face, int px, Color c,
            int lines = 1, PxRect clip = {}, bool bold = false) {
    if (text.empty()) return;
    panel_.items.push_back({DrawOp::Text, {x, y, w, 0}, c, text, face, px, lines, bold, clip});
  }
  void Fill(int x, int y, int w, int h, Color c, PxRect clip = {}) {
    panel_.items.push_back({DrawOp::Fill, {x, y, w, h}, c, {}, {}, 0, 1, false, clip});
  }
  // The accent over a reading drawn at (x, y) in the Gothic face, whose kana are each one
  // em wide: a line over the high moras and a tick down where the pitch falls.
  void Pitch(int x, int y, int px, int width, const ViewRow& r, PxRect clip) {
    if (r.pitch.size() != r.moras.size()) return;
    int dx = 0;  // the reading may be cut: no line goes past the room it has
    for (std::size_t i = 0; i < r.moras.size() && dx < width; ++i) {
      int chars = 0;
      for (std::size_t at = 0; at < r.moras[i].size(); ++chars)
        NextCodePoint(r.moras[i], at);
      const int w = chars * px, room = std::min(w, width - dx);
      if (r.pitch[i] == 'H') Fill(x + dx, y, room, 1, kPitchInk, clip);
      if (static_cast<int>(i) + 1 == r.accent && w <= room)
        Fill(x + dx + w - 1, y, 1, px / 2, kPitchInk, clip);
      dx += w;
    }
  }
  // One compound on a row: the compound, its reading beside it with the wrong shots, and
  // the meaning under the reading.
  void Row(int y, const ViewRow& r, Color wordInk, const PxRect& clip) {
    Text(kPad, y + 4, 52, r.word, kMincho, 20, wordInk, 1, clip);
    const std::string mark = WrongMark(r.wrong);
    const int markW = mark.empty() ? 0 : 34;
    Text(66, y + 3, kStripWidthPx - 66 - kPad - markW, r.reading, kGothic, 13, kReadingInk, 1,
         clip);
    Pitch(66, y + 1, 13, kStripWidthPx - 66 - kPad - markW, r, clip);
    if (!mark.empty())
      Text(kStripWidthPx - kPad - markW + 4, y + 2, markW - 4, mark, kLatinFace, 12, kGroupInks[0],
           1, clip, true);
    Text(66, y + 20, kStripWidthPx - 66 - kPad, r.meaning, FaceFor(r.meaning), 13, kMeaningInk, 1,
         clip);
  }

 private:
  SidePanel& panel_;
};

}  // namespace quendar::strip
