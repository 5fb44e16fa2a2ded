// The learner layer: every compound dealt in a run with its reading and meaning from its
// list line, how often a shot missed it, whether it was matched; the review at the end.
// The game feeds it through the runtime's study service and never reads it back.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "elements/keys.h"
#include "elements/services.h"

namespace quendar {

struct StudyEntry {
  std::string word, reading, meaning;
  int deal = 0;
  int wrong = 0;
  bool matched = false;
  // Ever drawn as the target, or a shot judged against it: only such a compound was
  // really asked of the learner.
  bool targeted = false;
  int accent = -1;  // the reading's pitch accent from the list's fourth column, -1 for none
};

// The reading and meaning of a list line: its second and third TAB-separated columns, with
// control characters dropped so nothing can disturb a screen or a file.
struct Annotation {
  std::string reading, meaning, accent;  // accent: the fourth column as it stands
};
Annotation AnnotationOf(const std::string& line);

class StudyRecord : public StudyService {
 public:
  // `startShown` false keeps the strip hidden even for an annotated list (--no-study).
  explicit StudyRecord(bool startShown = true) : startShown_(startShown) {}

  void ListRead(const std::vector<std::string>& lines, int count) override;
  void Dealt(int slot, const std::string& first, const std::string& second,
             const std::string& line) override;
  void Targeted(int slot) override;
  void Judged(int targetSlot, bool match) override;
  void Ended() override;
  // F2 always; at the review, the keys that scroll it (they reach no handler of the game,
  // which has ended), passed on to whatever lays the review out, and Escape when that
  // says it took it (a card closed).
  bool TakeKey(int keyCode) override;
  void OnReviewKey(std::function<bool(int)> f) { onReviewKey_ = std::move(f); }
  // F3, taken only where a voice is there to switch.
  void OnVoiceKey(std::function<void()> f) { onVoiceKey_ = std::move(f); }

  bool shown() const { return shown_; }
  bool ended() const { return ended_; }
  const std::vector<StudyEntry>& entries() const { return entries_; }
  // The entry matched last, or -1.
  int lastMatched() const { return matchOrder_.empty() ? -1 : matchOrder_.front(); }
  // Entry indices newest match first.
  const std::vector<int>& matchOrder() const { return matchOrder_; }
  // Changes with every report that changes what the record shows.
  std::uint64_t revision() const { return revision_; }

  // The snapshot's `study` member.
  std::string Json() const;

  // Called after each report that ends the game (a review file is written then).
  void OnEnded(std::function<void()> f) { onEnded_ = std::move(f); }
  // Called after a compound was matched (the voice speaks it once the chime is over).
  void OnMatched(std::function<void(const StudyEntry&)> f) { onMatched_ = std::move(f); }
  // Called once the list is read, with its lines (entries 1..count), before the first deal.
  void OnListRead(std::function<void(const std::vector<std::string>&, int)> f) {
    onListRead_ = std::move(f);
  }

  // What the learner's history says of the list being played, shown before the first match.
  struct Progress {
    int due = 0, known = 0, total = 0;
  };
  void SetProgress(const Progress& p) {
    progress_ = p;
    hasProgress_ = true;
    Changed();
  }
  const Progress* progress() const { return hasProgress_ ? &progress_ : nullptr; }
  // One line for the learner about the layer itself (the history cannot be read), shown
  // before the first match.
  void SetNotice(std::string text) {
    notice_ = std::move(text);
    Changed();
  }
  const std::string& notice() const { return notice_; }

 private:
  void Changed() { ++revision_; }

  bool startShown_;
  bool shown_ = false;
  bool ended_ = false;
  int deal_ = 0;
  std::array<int, 8> slotEntry_{-1, -1, -1, -1, -1, -1, -1, -1};
  std::vector<StudyEntry> entries_;
  std::vector<int> matchOrder_;
  std::uint64_t revision_ = 0;
  std::function<void()> onEnded_;
  std::function<bool(int)> onReviewKey_;
  std::function<void()> onVoiceKey_;
  std::function<void(const std::vector<std::string>&, int)> onListRead_;
  std::function<void(const StudyEntry&)> onMatched_;
  Progress progress_;
  bool hasProgress_ = false;
  std::string notice_;
};

// The review: entries never matched, then those matched after wrong shots (most misses
// first), then the rest, and last those never the target; within a group in the order dealt.
enum class ReviewGroup { NotMatched, MatchedAfterMisses, Matched, NotReached };
ReviewGroup GroupOf(const StudyEntry& e);
std::vector<int> ReviewOrder(const std::vector<StudyEntry>& entries);
// The result in plain words, as the review file says it.
std::string ResultWords(const StudyEntry& e);

// The review as a UTF-8 word list that a flashcard program also imports: a byte-order mark,
// then per entry "compound TAB reading TAB meaning TAB result" and CR LF, in review order.
std::string ReviewText(const std::vector<StudyEntry>& entries);
// The compounds to play again (targeted and not matched, or matched after wrong shots),
// each once, as a
// word list in the same form; "" when there are fewer than a round's eight.
std::string AgainText(const std::vector<StudyEntry>& entries, int roundSize);

}  // namespace quendar
