#include "elements/frame_panel.h"

#include <algorithm>
#include <cmath>

namespace quendar {

namespace {

int Round(double v) {
  return static_cast<int>(std::lround(v));
}

// One character's bytes, tolerating a cut sequence at the end.
void NextCodePointLoose(std::string_view s, std::size_t& i) {
  ++i;
  while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
    ++i;
}

class PanelBuilder {
 public:
  PanelBuilder(std::vector<DrawCommand>& out, TextMetrics& metrics, FittedLines& fitted)
      : out_(out), metrics_(metrics), fitted_(fitted) {}

  void Fill(const PxRect& r, Color c) {
    if (r.Empty()) return;
    out_.push_back({DrawOp::Fill, r, r, c, {}, {}, 0, false, 1.0});
  }

  void Piece(const PanelItem& item, const PxRect& area, double scale) {
    const PxRect r{area.x + Round(item.rect.x * scale), area.y + Round(item.rect.y * scale),
                   Round(item.rect.w * scale), Round(item.rect.h * scale)};
    // An item may keep to a part of the panel (a scrolled list under its heading).
    PxRect room = area;
    if (!item.clip.Empty())
      room =
          Intersect(area, {area.x + Round(item.clip.x * scale), area.y + Round(item.clip.y * scale),
                           Round(item.clip.w * scale), Round(item.clip.h * scale)});
    if (room.Empty()) return;
    if (item.op == DrawOp::Fill) {
      Fill(Intersect(r, room), item.color);
      return;
    }
    if (item.op != DrawOp::Text || item.text.empty()) return;
    const int px = std::max(1, Round(item.px * scale));
    const int lineHeight = metrics_.LineHeight(item.face, px, item.bold);
    const int lines = std::max(1, item.lines);
    const std::string key = item.face + (item.bold ? '\1' : '\0') + std::to_string(px) + '\0' +
                            std::to_string(r.w) + '\0' + std::to_string(lines) + '\0' + item.text;
    std::vector<std::string> fresh;
    auto it = fitted_.find(key);
    if (it == fitted_.end()) {
      std::string_view rest = item.text;
      for (int line = 1; line <= lines && !rest.empty(); ++line)
        fresh.push_back(FitLine(rest, item, px, r.w, line == lines));
      if (metrics_.Complete()) it = fitted_.emplace(key, fresh).first;
    }
    int y = r.y;
    for (const std::string& shown : it != fitted_.end() ? it->second : fresh) {
      const PxRect clip = Intersect({r.x, y, r.w, lineHeight}, room);
      if (!shown.empty() && !clip.Empty()) {
        const int w = metrics_.Width(shown, item.face, px, item.bold);
        out_.push_back({DrawOp::Text,
                        {r.x, y, w, lineHeight},
                        clip,
                        item.color,
                        shown,
                        item.face,
                        px,
                        item.bold,
                        1.0});
      }
      y += lineHeight;
    }
  }

 private:
  // Takes from `rest` what fits in `width` on one line: up to the last space that fits, or
  // on the last line as much as fits before an ellipsis.
  std::string FitLine(std::string_view& rest, const PanelItem& item, int px, int width, bool last) {
    // No strip is wide enough for more; measuring 4096 characters would only cost time.
    constexpr std::size_t kMaxChars = 160;
    std::vector<std::size_t> ends;  // byte ends of each character
    for (std::size_t i = 0; i < rest.size() && ends.size() < kMaxChars;) {
      NextCodePointLoose(rest, i);
      ends.push_back(i);
    }
    const bool cut = ends.empty() || ends.back() < rest.size();
    auto fits = [&](std::size_t n, bool ellipsis) {
      std::string s(rest.substr(0, ends[n - 1]));
      if (ellipsis) s += "…";
      return metrics_.Width(s, item.face, px, item.bold) <= width;
    };
    if (!cut && fits(ends.size(), false)) {
      std::string all(rest);
      rest = {};
      return all;
    }
    // The most characters that fit (with an ellipsis on the last line).
    std::size_t lo = 0, hi = ends.size();
    while (lo < hi) {
      const std::size_t mid = (lo + hi + 1) / 2;
      if (fits(mid, last))
        lo = mid;
      else
        hi = mid - 1;
    }
    if (last) {
      std::string s(rest.substr(0, lo ? ends[lo - 1] : 0));
      rest = {};
      return s + "…";
    }
    std::size_t take = lo ? ends[lo - 1] : (ends.empty() ? rest.size() : ends[0]);
    const std::size_t space = rest.substr(0, take + 1).rfind(' ');
    if (space != std::string_view::npos && space > 0 && take < rest.size()) take = space;
    std::string s(rest.substr(0, take));
    rest.remove_prefix(take);
    while (!rest.empty() && rest.front() == ' ')
      rest.remove_prefix(1);
    return s;
  }

  std::vector<DrawCommand>& out_;
  TextMetrics& metrics_;
  FittedLines& fitted_;
};

}  // namespace

void BuildPanel(std::vector<DrawCommand>& out, const SidePanel& panel, const PxRect& area,
                double scale, TextMetrics& metrics) {
  SidePanel::Built& built = panel.built;
  if (built.revision == panel.revision && built.scale == scale && built.rect == area) {
    out.insert(out.end(), built.commands.begin(), built.commands.end());
    return;
  }
  const std::size_t first = out.size();
  // A long review scrolled through fits many rows; the oldest fitted lines go first.
  if (panel.fitted.size() > 4096) panel.fitted.clear();
  PanelBuilder b(out, metrics, panel.fitted);
  b.Fill(area, panel.background);
  for (const PanelItem& item : panel.items)
    b.Piece(item, area, scale);
  if (!metrics.Complete()) {
    built = {};
    return;
  }
  built.commands.assign(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
  built.revision = panel.revision;
  built.scale = scale;
  built.rect = area;
}

}  // namespace quendar
