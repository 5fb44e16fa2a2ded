// The study strip beside the field: the study view laid out at scale 1. In play, the
// compound matched last, large, with its reading and meaning, and the run's matches below
// it, newest first; at the end, the review of every compound of the run, scrolled by the
// wheel and PageUp, PageDown, Home and End, a row chosen by a click and copied by Ctrl+C;
// the click also opens the row's kanji card over the list.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "elements/frame.h"
#include "study/kanji.h"
#include "study/record.h"
#include "study/view.h"

namespace quendar {

// About 40 % of the field's 580 pixels.
inline constexpr int kStripWidthPx = 232;

class StudyStrip : public PanelInput {
 public:
  // The strip stands beside the window named `beside`, in `lang`.
  StudyStrip(StudyRecord& record, std::string beside, Lang lang = Lang::En);

  // The strip for the window on show: the main window's, while the record says it is
  // shown. Rebuilt only when the record, the scroll or the choice changed.
  const SidePanel* For(const Window& window);

  bool Click(double x, double y) override;
  bool Wheel(int notches) override;
  std::string CopyText() const override;
  void Copied() override;
  bool ClickOutside() override;
  // PageUp, PageDown, Home, End at the review; Escape closes the card. True when taken.
  bool Key(int keyCode);
  // Where the kanji card gets its meanings, called when the first card opens, and which
  // characters the stroke order face can draw (empty, or false for all when the face is
  // not installed: the card shows those kanji in Mincho).
  void SetKanji(std::function<KanjiTable()> load, std::function<bool(char32_t)> strokes);
  // Called with the compound a click lands on (the large one in play, a row at the review),
  // so that its reading can be heard again.
  void OnSpeak(std::function<void(const std::string&)> f) { onSpeak_ = std::move(f); }

  // Builds the view and lays it out afresh, as a change of the record does.
  void Rebuild(int height);
  const SidePanel& panel() const { return panel_; }
  int scroll() const { return scroll_; }
  // The entry whose kanji card is open, or -1.
  int card() const { return card_; }
  int maxScroll() const { return std::max(0, contentHeight_ - viewportHeight_); }

 private:
  void Layout(int height);
  void PlayView(int height);
  void ReviewView(int height);
  bool ScrollTo(int y);
  void CardView();
  void CloseCard();
  // Changed what the strip shows other than through the record.
  void Touched() { ++ownRevision_; }

  const StudyRecord& record_;
  std::string beside_;
  Lang lang_;
  StudyView view_;
  SidePanel panel_;
  std::uint64_t builtRevision_ = ~0ull, builtOwn_ = ~0ull, ownRevision_ = 0;
  int height_ = 0;
  int scroll_ = 0;
  int viewportTop_ = 0, viewportHeight_ = 0, contentHeight_ = 0;
  int selected_ = -1;  // entry index of the row chosen at the review
  std::string notice_;
  std::vector<std::pair<int, int>> rowTops_;  // (content y, entry) of every review row
  std::function<void(const std::string&)> onSpeak_;
  int card_ = -1;  // entry index of the compound on the kanji card
  PxRect cardRect_, closeRect_;
  std::function<KanjiTable()> loadKanji_;
  std::optional<KanjiTable> kanji_;
  std::function<bool(char32_t)> strokes_;
};

}  // namespace quendar
