#include "study/record.h"

#include <algorithm>
#include <set>
#include <string_view>

#include "elements/snapshot.h"
#include "elements/text.h"
#include "study/pitch.h"
#include "study/words.h"

namespace quendar {

namespace {

// C0 and C1 controls and DEL: a TAB, CR or escape in a meaning must not reach a screen or
// split a column of the review file.
std::string WithoutControls(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t start = i;
    const char32_t cp = NextCodePoint(s, i);
    if (cp < 0x20 || (cp >= 0x7F && cp <= 0x9F)) continue;
    out.append(s.substr(start, i - start));
  }
  return out;
}

void AppendLine(std::string& out, const StudyEntry& e, const std::string* result) {
  // A one-character line deals its TAB as the second character: one row keeps its columns.
  out += WithoutControls(e.word);
  out += '\t';
  out += e.reading;
  out += '\t';
  out += e.meaning;
  // The accent is the list's fourth column; the review's result comes after it.
  if (result || e.accent >= 0) {
    out += '\t';
    if (e.accent >= 0) out += std::to_string(e.accent);
  }
  if (result) {
    out += '\t';
    out += *result;
  }
  out += "\r\n";
}

constexpr std::string_view kBom = "\xEF\xBB\xBF";

}  // namespace

Annotation AnnotationOf(const std::string& line) {
  Annotation a;
  const std::size_t t1 = line.find('\t');
  if (t1 == std::string::npos) return a;
  const std::size_t t2 = line.find('\t', t1 + 1);
  a.reading = WithoutControls(std::string_view(line).substr(
      t1 + 1, t2 == std::string::npos ? std::string::npos : t2 - t1 - 1));
  if (t2 == std::string::npos) return a;
  const std::size_t t3 = line.find('\t', t2 + 1);
  a.meaning = WithoutControls(std::string_view(line).substr(
      t2 + 1, t3 == std::string::npos ? std::string::npos : t3 - t2 - 1));
  if (t3 == std::string::npos) return a;
  const std::size_t t4 = line.find('\t', t3 + 1);
  a.accent = WithoutControls(std::string_view(line).substr(
      t3 + 1, t4 == std::string::npos ? std::string::npos : t4 - t3 - 1));
  return a;
}

void StudyRecord::ListRead(const std::vector<std::string>& lines, int count) {
  bool annotated = false;
  for (int k = 1; k <= count && !annotated && static_cast<std::size_t>(k) < lines.size(); ++k) {
    const Annotation a = AnnotationOf(lines[static_cast<std::size_t>(k)]);
    annotated = !a.reading.empty() || !a.meaning.empty();
  }
  shown_ = startShown_ && annotated;
  Changed();
  if (onListRead_) onListRead_(lines, count);
}

void StudyRecord::Dealt(int slot, const std::string& first, const std::string& second,
                        const std::string& line) {
  if (slot < 0 || slot >= static_cast<int>(slotEntry_.size())) return;
  if (slot == 0) ++deal_;
  Annotation a = AnnotationOf(line);
  const int accent = AccentOf(a.accent, a.reading);
  entries_.push_back(
      {first + second, std::move(a.reading), std::move(a.meaning), deal_, 0, false, false, accent});
  slotEntry_[static_cast<std::size_t>(slot)] = static_cast<int>(entries_.size()) - 1;
  Changed();
}

void StudyRecord::Targeted(int slot) {
  if (slot < 0 || slot >= static_cast<int>(slotEntry_.size())) return;
  const int i = slotEntry_[static_cast<std::size_t>(slot)];
  if (i < 0 || entries_[static_cast<std::size_t>(i)].targeted) return;
  entries_[static_cast<std::size_t>(i)].targeted = true;
  Changed();
}

void StudyRecord::Judged(int targetSlot, bool match) {
  if (targetSlot < 0 || targetSlot >= static_cast<int>(slotEntry_.size())) return;
  const int i = slotEntry_[static_cast<std::size_t>(targetSlot)];
  if (i < 0) return;
  StudyEntry& e = entries_[static_cast<std::size_t>(i)];
  // Until the game picks the next target it still points at the pair just matched: a shot
  // judged then was aimed at nothing the learner was asked, so it blames nobody.
  if (e.matched) return;
  e.targeted = true;
  if (match) {
    e.matched = true;
    matchOrder_.insert(matchOrder_.begin(), i);
  } else {
    ++e.wrong;
  }
  Changed();
  if (match && onMatched_) onMatched_(e);
}

void StudyRecord::Ended() {
  ended_ = true;
  Changed();
  if (onEnded_) onEnded_();
}

bool StudyRecord::TakeKey(int keyCode) {
  if (keyCode == KeyCode::kF2) {
    shown_ = !shown_;
    Changed();
    return true;
  }
  if (keyCode == KeyCode::kF3 && onVoiceKey_) {
    onVoiceKey_();
    return true;
  }
  if (!ended_ || !shown_) return false;
  const bool scroll = keyCode >= KeyCode::kPageUp && keyCode <= KeyCode::kHome;
  if (!scroll && keyCode != KeyCode::kEscape) return false;
  const bool taken = onReviewKey_ && onReviewKey_(keyCode);
  return scroll || taken;
}

std::string StudyRecord::Json() const {
  std::string o = std::string("{\"shown\":") + (shown_ ? "true" : "false") +
                  ",\"ended\":" + (ended_ ? "true" : "false") + ",\"entries\":[";
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const StudyEntry& e = entries_[i];
    if (i) o += ",";
    o += "{\"word\":" + JsonString(e.word) + ",\"reading\":" + JsonString(e.reading) +
         ",\"meaning\":" + JsonString(e.meaning) + ",\"deal\":" + std::to_string(e.deal) +
         ",\"wrong\":" + std::to_string(e.wrong) +
         ",\"matched\":" + (e.matched ? "true" : "false") +
         ",\"targeted\":" + (e.targeted ? "true" : "false") + "}";
  }
  return o + "]}";
}

ReviewGroup GroupOf(const StudyEntry& e) {
  if (!e.targeted) return ReviewGroup::NotReached;
  if (!e.matched) return ReviewGroup::NotMatched;
  return e.wrong > 0 ? ReviewGroup::MatchedAfterMisses : ReviewGroup::Matched;
}

std::vector<int> ReviewOrder(const std::vector<StudyEntry>& entries) {
  std::vector<int> order(entries.size());
  for (std::size_t i = 0; i < order.size(); ++i)
    order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
    const StudyEntry& x = entries[static_cast<std::size_t>(a)];
    const StudyEntry& y = entries[static_cast<std::size_t>(b)];
    if (GroupOf(x) != GroupOf(y)) return GroupOf(x) < GroupOf(y);
    return x.wrong > y.wrong;
  });
  return order;
}

std::string ResultWords(const StudyEntry& e) {
  const std::vector<std::string> n = {std::to_string(e.wrong), e.wrong == 1 ? "" : "s"};
  switch (GroupOf(e)) {
    case ReviewGroup::NotMatched:
      return Words(Lang::En, e.wrong ? "result.notMatchedWrong" : "result.notMatched", n);
    case ReviewGroup::MatchedAfterMisses:
      return Words(Lang::En, "result.afterMisses", n);
    case ReviewGroup::NotReached:
      return Words(Lang::En, "result.notReached");
    case ReviewGroup::Matched:
      break;
  }
  return Words(Lang::En, "result.matched");
}

std::string ReviewText(const std::vector<StudyEntry>& entries) {
  std::string out(kBom);
  for (int i : ReviewOrder(entries)) {
    const StudyEntry& e = entries[static_cast<std::size_t>(i)];
    // A line dealt empty has nothing to learn and would not play as a compound.
    if (e.word.empty()) continue;
    const std::string result = ResultWords(e);
    AppendLine(out, e, &result);
  }
  return out;
}

std::string AgainText(const std::vector<StudyEntry>& entries, int roundSize) {
  std::string out(kBom);
  std::set<std::string> seen;
  for (int i : ReviewOrder(entries)) {
    const StudyEntry& e = entries[static_cast<std::size_t>(i)];
    const ReviewGroup g = GroupOf(e);
    if (g == ReviewGroup::Matched || g == ReviewGroup::NotReached || e.word.empty() ||
        !seen.insert(e.word).second)
      continue;
    AppendLine(out, e, nullptr);
  }
  return static_cast<int>(seen.size()) < roundSize ? "" : out;
}

}  // namespace quendar
