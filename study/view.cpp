#include "study/view.h"

#include "elements/snapshot.h"
#include "study/pitch.h"

namespace quendar {

namespace {

ViewRow RowOf(const std::vector<StudyEntry>& entries, int i) {
  const StudyEntry& e = entries[static_cast<std::size_t>(i)];
  ViewRow r{i, e.word, e.reading, e.meaning, e.wrong, {}, {}, e.accent};
  if (e.accent >= 0) {
    r.moras = Moras(e.reading);
    r.pitch = PitchPattern(e.accent, r.moras.size());
  }
  return r;
}

const char* TitleOf(ReviewGroup g) {
  switch (g) {
    case ReviewGroup::NotMatched:
      return "group.notMatched";
    case ReviewGroup::MatchedAfterMisses:
      return "group.afterMisses";
    case ReviewGroup::Matched:
      return "group.matched";
    case ReviewGroup::NotReached:
      break;
  }
  return "group.notReached";
}

std::string TextJson(const ViewText& t) {
  std::string o = "{\"key\":" + JsonString(t.key) + ",\"args\":[";
  for (std::size_t i = 0; i < t.args.size(); ++i) {
    if (i) o += ',';
    o += JsonString(t.args[i]);
  }
  return o + "]}";
}

std::string Strings(const std::vector<std::string>& v) {
  std::string o = "[";
  for (std::size_t i = 0; i < v.size(); ++i) {
    if (i) o += ',';
    o += JsonString(v[i]);
  }
  return o + "]";
}

std::string RowJson(const ViewRow& r) {
  return "{\"entry\":" + std::to_string(r.entry) + ",\"word\":" + JsonString(r.word) +
         ",\"reading\":" + JsonString(r.reading) + ",\"meaning\":" + JsonString(r.meaning) +
         ",\"wrong\":" + std::to_string(r.wrong) + ",\"mark\":" + JsonString(WrongMark(r.wrong)) +
         ",\"accent\":" + std::to_string(r.accent) + ",\"pitch\":" + JsonString(r.pitch) +
         ",\"moras\":" + Strings(r.moras) + "}";
}

}  // namespace

const char* ModeName(StudyView::Mode mode) {
  switch (mode) {
    case StudyView::Mode::Hint:
      return "hint";
    case StudyView::Mode::Play:
      return "play";
    case StudyView::Mode::Review:
      break;
  }
  return "review";
}

std::string WrongMark(int wrong) {
  return wrong > 0 ? "×" + std::to_string(wrong) : "";
}

std::string CopyText(const ViewRow& row) {
  return row.word + '\t' + row.reading + '\t' + row.meaning;
}

StudyView BuildStudyView(const StudyRecord& record) {
  StudyView v;
  v.revision = record.revision();
  v.shown = record.shown();
  const auto& entries = record.entries();
  if (record.ended()) {
    v.mode = StudyView::Mode::Review;
    int counts[4] = {0, 0, 0, 0};
    for (int i : ReviewOrder(entries)) {
      const ReviewGroup g = GroupOf(entries[static_cast<std::size_t>(i)]);
      ++counts[static_cast<int>(g)];
      if (v.groups.empty() || v.groups.back().group != g) v.groups.push_back({g, TitleOf(g), {}});
      v.groups.back().rows.push_back(RowOf(entries, i));
    }
    v.heading = {"review", {}};
    v.summary = {"reviewCounts", {}};
    for (int c : counts)
      v.summary.args.push_back(std::to_string(c));
    v.announce = {"announceEnd",
                  {std::to_string(counts[1] + counts[2]), std::to_string(counts[0] + counts[1])}};
    return v;
  }
  const auto& order = record.matchOrder();
  if (order.empty()) {
    // With a history, what it says of this list takes the place of what the strip is for.
    if (const StudyRecord::Progress* p = record.progress())
      v.heading = {"hintProgress",
                   {std::to_string(p->due), std::to_string(p->known), std::to_string(p->total)}};
    else
      v.heading = {"hint", {}};
    v.notice = record.notice();
    return v;
  }
  v.mode = StudyView::Mode::Play;
  v.last = RowOf(entries, order.front());
  for (std::size_t i = 1; i < order.size(); ++i)
    v.older.push_back(RowOf(entries, order[i]));
  v.heading = {"matchedCount", {std::to_string(order.size())}};
  v.announce = {"announceMatch", {v.last.word, v.last.reading, v.last.meaning}};
  return v;
}

std::string ViewJson(const StudyView& v) {
  std::string o = std::string("{\"mode\":\"") + ModeName(v.mode) +
                  "\",\"revision\":" + std::to_string(v.revision) +
                  ",\"shown\":" + (v.shown ? "true" : "false") +
                  ",\"heading\":" + TextJson(v.heading) + ",\"summary\":" + TextJson(v.summary) +
                  ",\"announce\":" + TextJson(v.announce) + ",\"notice\":" + JsonString(v.notice) +
                  ",\"last\":";
  o += v.mode == StudyView::Mode::Play ? RowJson(v.last) : "null";
  o += ",\"older\":[";
  for (std::size_t i = 0; i < v.older.size(); ++i) {
    if (i) o += ',';
    o += RowJson(v.older[i]);
  }
  o += "],\"groups\":[";
  for (std::size_t g = 0; g < v.groups.size(); ++g) {
    o += std::string(g ? "," : "") + "{\"title\":" + JsonString(v.groups[g].title) +
         ",\"group\":" + std::to_string(static_cast<int>(v.groups[g].group)) + ",\"rows\":[";
    for (std::size_t i = 0; i < v.groups[g].rows.size(); ++i) {
      if (i) o += ',';
      o += RowJson(v.groups[g].rows[i]);
    }
    o += "]}";
  }
  return o + "]}";
}

}  // namespace quendar
