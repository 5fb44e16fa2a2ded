#include "elements/frame.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace quendar {

namespace {

constexpr Color kDisabledText = 0x808080;
constexpr Color kDisabledShadow = 0xFFFFFF;
constexpr Color kBarColor = 0xF0F0F0;
constexpr Color kBarLine = 0xD8D8D8;
constexpr Color kHoverColor = 0xCCE8FF;
constexpr Color kMenuText = 0x000000;
constexpr Color kMenuGreyed = 0xA0A0A0;
constexpr int kMenuPaddingPx = 7;
const Font kMenuFont{"ＭＳ ゴシック", 9.0f, false};

int Round(double v) {
  return static_cast<int>(std::lround(v));
}

bool HasMenuBar(const Window& window) {
  return std::any_of(window.menus().begin(), window.menus().end(),
                     [](const MenuItem& m) { return m.Visible; });
}

// Appends drawing commands to a frame, each clipped to its own rectangle.
class Builder {
 public:
  Builder(Frame& frame, TextMetrics& metrics) : frame_(frame), metrics_(metrics) {}

  void Fill(const PxRect& r, Color c) {
    if (r.Empty()) return;
    frame_.commands.push_back({DrawOp::Fill, r, r, c, {}, {}, 0, false, 1.0});
  }

  void Text(std::string_view text, const Font& font, int px, Color c, int x, int y,
            const PxRect& clip) {
    if (text.empty() || clip.Empty()) return;
    const int w = metrics_.Width(text, font.family, px, font.bold);
    const int h = metrics_.LineHeight(font.family, px, font.bold);
    frame_.commands.push_back(
        {DrawOp::Text, {x, y, w, h}, clip, c, std::string(text), font.family, px, font.bold, 1.0});
  }

  // The client area with its top-left corner at (x, y).
  void Client(const Window& window, int x, int y, double scale) {
    const PxRect area{x, y, Round(window.clientWidthPx * scale),
                      Round(window.clientHeightPx * scale)};
    Fill(area, window.BackColor);
    // The list is topmost first: paint from the bottom up.
    const auto& elements = window.elements();
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
      const Element& e = **it;
      if (e.kind() == ElementKind::Timer) continue;
      const auto& v = static_cast<const Visual&>(e);
      if (!v.Visible) continue;
      const PxRect rect{
          x + Round(window.UnitsToPxX(v.Left, scale)), y + Round(window.UnitsToPxY(v.Top, scale)),
          Round(window.UnitsToPxX(v.Width, scale)), Round(window.UnitsToPxY(v.Height, scale))};
      if (rect.Empty()) continue;
      const PxRect clip = Intersect(rect, area);
      if (clip.Empty()) continue;
      if (e.kind() == ElementKind::Label)
        Label(static_cast<const quendar::Label&>(v), rect, clip, scale);
      else
        Picture(static_cast<const PictureBox&>(v), rect, clip, scale);
    }
  }

  void MenuBar(const Window& window, int width, int height, double scale, int hover) {
    const int pad = Round(kMenuPaddingPx * scale);
    const int px = FontPixels(kMenuFont, scale);
    int x = 0;
    for (const MenuItem& m : window.menus()) {
      if (!m.Visible) continue;
      const int w = metrics_.Width(m.Caption, kMenuFont.family, px, false) + 2 * pad;
      frame_.menu.push_back({m.name, PxRect{x, 0, w, height}, m.Enabled && window.Enabled});
      x += w;
    }
    if (height <= 0) return;
    const int line = std::max(1, Round(scale));
    Fill({0, 0, width, height}, kBarColor);
    Fill({0, height - line, width, line}, kBarLine);
    const int textHeight = metrics_.LineHeight(kMenuFont.family, px, false);
    std::size_t i = 0;
    for (const MenuItem& m : window.menus()) {
      if (!m.Visible) continue;
      const MenuSlot& s = frame_.menu[i];
      const PxRect box{s.rect.x, s.rect.y, s.rect.w, s.rect.h - line};
      if (static_cast<int>(i) == hover && s.enabled) Fill(box, kHoverColor);
      Text(m.Caption, kMenuFont, px, s.enabled ? kMenuText : kMenuGreyed, s.rect.x + pad,
           s.rect.y + (box.h - textHeight) / 2, box);
      ++i;
    }
  }

  void Panel(const SidePanel& panel, const PxRect& area, double scale) {
    SidePanel::Built& built = panel.built;
    if (built.revision != panel.revision || built.scale != scale || built.rect != area) {
      const std::size_t first = frame_.commands.size();
      Fill(area, panel.background);
      if (panel.fitted.size() > 1024) panel.fitted.clear();
      for (const PanelItem& item : panel.items)
        PanelPiece(item, area, scale, panel.fitted);
      if (!metrics_.Complete()) {
        built = {};
        return;
      }
      built.commands.assign(frame_.commands.begin() + static_cast<std::ptrdiff_t>(first),
                            frame_.commands.end());
      built.revision = panel.revision;
      built.scale = scale;
      built.rect = area;
      return;
    }
    frame_.commands.insert(frame_.commands.end(), built.commands.begin(), built.commands.end());
  }

 private:
  void PanelPiece(const PanelItem& item, const PxRect& area, double scale,
                  std::unordered_map<std::string, std::vector<std::string>>& fitted) {
    const PxRect r{area.x + Round(item.rect.x * scale), area.y + Round(item.rect.y * scale),
                   Round(item.rect.w * scale), Round(item.rect.h * scale)};
    if (item.op == DrawOp::Fill) {
      Fill(Intersect(r, area), item.color);
      return;
    }
    if (item.op != DrawOp::Text || item.text.empty()) return;
    const Font font{item.face, 0, false};
    const int px = std::max(1, Round(item.px * scale));
    const int lineHeight = metrics_.LineHeight(item.face, px, false);
    const int lines = std::max(1, item.lines);
    const std::string key = item.face + '\0' + std::to_string(px) + '\0' + std::to_string(r.w) +
                            '\0' + std::to_string(lines) + '\0' + item.text;
    std::vector<std::string> fresh;
    auto it = fitted.find(key);
    if (it == fitted.end()) {
      std::string_view rest = item.text;
      for (int line = 1; line <= lines && !rest.empty(); ++line)
        fresh.push_back(FitLine(rest, item.face, px, r.w, line == lines));
      if (metrics_.Complete()) it = fitted.emplace(key, fresh).first;
    }
    int y = r.y;
    for (const std::string& shown : it != fitted.end() ? it->second : fresh) {
      Text(shown, font, px, item.color, r.x, y, Intersect({r.x, y, r.w, lineHeight}, area));
      y += lineHeight;
    }
  }

  // Takes from `rest` what fits in `width` on one line: up to the last space that fits, or
  // on the last line as much as fits before an ellipsis.
  std::string FitLine(std::string_view& rest, const std::string& face, int px, int width,
                      bool last) {
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
      return metrics_.Width(s, face, px, false) <= width;
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

  // One character's bytes, tolerating a cut sequence at the end.
  static void NextCodePointLoose(std::string_view s, std::size_t& i) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80)
      ++i;
  }

  void Label(const quendar::Label& label, const PxRect& rect, const PxRect& clip, double scale) {
    if (label.BackStyle != 0) Fill(clip, label.BackColor);
    if (label.Caption.empty()) return;
    const Font& font = label.font;
    const int px = FontPixels(font, scale);
    const int lineHeight = metrics_.LineHeight(font.family, px, font.bold);
    // A disabled label's text is embossed: a white copy one pixel down and right under a
    // grey one.
    const int shadow = std::max(1, Round(scale));
    int y = rect.y;
    for (std::string_view line : SplitLines(label.Caption)) {
      if (y >= clip.y + clip.h) break;
      if (!line.empty()) {
        const int w = metrics_.Width(line, font.family, px, font.bold);
        int x = rect.x;
        if (label.alignment == Alignment::Right)
          x = rect.x + rect.w - w;
        else if (label.alignment == Alignment::Center)
          x = rect.x + static_cast<int>(std::floor((rect.w - w) / 2.0));
        if (label.Enabled) {
          Text(line, font, px, label.ForeColor, x, y, clip);
        } else {
          Text(line, font, px, kDisabledShadow, x + shadow, y + shadow, clip);
          Text(line, font, px, kDisabledText, x, y, clip);
        }
      }
      y += lineHeight;
    }
  }

  void Picture(const PictureBox& box, const PxRect& rect, const PxRect& clip, double scale) {
    Fill(clip, box.BackColor);
    if (box.picture.empty()) return;
    // The picture keeps its own pixel size, anchored at the box's top-left corner.
    frame_.commands.push_back({DrawOp::Picture, rect, clip, 0, box.picture, {}, 0, false, scale});
  }

  Frame& frame_;
  TextMetrics& metrics_;
};

}  // namespace

PxRect Intersect(const PxRect& a, const PxRect& b) {
  const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
  return {x0, y0, x1 - x0, y1 - y0};
}

PxRect Union(const PxRect& a, const PxRect& b) {
  if (a.Empty()) return b;
  if (b.Empty()) return a;
  const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
  const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
  return {x0, y0, x1 - x0, y1 - y0};
}

int FontPixels(const Font& font, double scale) {
  return std::max(1, Round(font.Pixels() * scale));
}

std::vector<std::string_view> SplitLines(std::string_view caption) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] != '\r' && caption[i] != '\n') continue;
    lines.push_back(caption.substr(start, i - start));
    if (caption[i] == '\r' && i + 1 < caption.size() && caption[i + 1] == '\n') ++i;
    start = i + 1;
  }
  lines.push_back(caption.substr(start));
  return lines;
}

std::pair<int, int> WindowSizeAt(const Window& window, double scale, const SidePanel* panel) {
  const int menu = HasMenuBar(window) ? kMenuBarHeightPx : 0;
  const int side = panel ? panel->width : 0;
  return {Round((window.clientWidthPx + side) * scale),
          Round((window.clientHeightPx + menu) * scale)};
}

Frame BuildWindowFrame(const Window& window, int outW, int outH, int hover, TextMetrics& metrics,
                       const SidePanel* panel) {
  Frame f;
  f.width = outW;
  f.height = outH;
  const int menu = HasMenuBar(window) ? kMenuBarHeightPx : 0;
  const int side = panel ? std::max(0, panel->width) : 0;
  const int cw = std::max(1, window.clientWidthPx), ch = std::max(1, window.clientHeightPx);
  f.scale =
      std::min(static_cast<double>(outW) / (cw + side), static_cast<double>(outH) / (ch + menu));
  if (!(f.scale > 0)) f.scale = 1.0 / 64;
  f.menuHeight = Round(menu * f.scale);
  f.client.w = Round(cw * f.scale);
  f.client.h = Round(ch * f.scale);
  const int sideW = Round(side * f.scale);
  f.client.x = (outW - f.client.w - sideW) / 2;
  f.client.y = f.menuHeight + (outH - f.menuHeight - f.client.h) / 2;
  if (side > 0) f.panel = {f.client.x + f.client.w, f.client.y, sideW, f.client.h};

  Builder b(f, metrics);
  // The bars beside a letterboxed client area; at the designed size the menu bar, the
  // client and the panel cover everything.
  const PxRect& c = f.client;
  if (c.x > 0 || c.y > f.menuHeight || c.x + c.w + sideW < outW || c.y + c.h < outH)
    b.Fill({0, 0, outW, outH}, kLetterboxColor);
  b.MenuBar(window, outW, f.menuHeight, f.scale, hover);
  b.Client(window, c.x, c.y, f.scale);
  if (side > 0) b.Panel(*panel, f.panel, f.scale);
  return f;
}

Frame BuildClientFrame(const Window& window, double scale, TextMetrics& metrics) {
  Frame f;
  f.scale = scale;
  f.client = {0, 0, std::max(1, Round(window.clientWidthPx * scale)),
              std::max(1, Round(window.clientHeightPx * scale))};
  f.width = f.client.w;
  f.height = f.client.h;
  Builder(f, metrics).Client(window, 0, 0, scale);
  return f;
}

std::optional<Frame::Point> Frame::ToClient(double x, double y) const {
  if (x < client.x || y < client.y || x >= client.x + client.w || y >= client.y + client.h)
    return std::nullopt;
  return Point{(x - client.x) / scale, (y - client.y) / scale};
}

int Frame::MenuSlotAt(int x, int y) const {
  for (std::size_t i = 0; i < menu.size(); ++i)
    if (menu[i].rect.Contains(x, y)) return static_cast<int>(i);
  return -1;
}

namespace {

std::size_t HashOf(const DrawCommand& c) {
  std::size_t h = std::hash<std::string>()(c.text) ^ (std::hash<std::string>()(c.face) << 1);
  for (int v : {static_cast<int>(c.op), c.rect.x, c.rect.y, c.rect.w, c.rect.h, c.clip.x, c.clip.y,
                c.clip.w, c.clip.h, static_cast<int>(c.color), c.px, static_cast<int>(c.bold)})
    h = h * 1000003u ^ static_cast<std::size_t>(v);
  return h ^ std::hash<double>()(c.scale);
}

// The commands of `a` that `b` lacks, counting repeats, by their clips.
void Missing(const Frame& a, const Frame& b, std::vector<PxRect>& out) {
  std::vector<std::pair<std::size_t, const DrawCommand*>> theirs;
  theirs.reserve(b.commands.size());
  for (const auto& c : b.commands)
    theirs.emplace_back(HashOf(c), &c);
  std::sort(theirs.begin(), theirs.end());
  std::vector<bool> used(theirs.size(), false);
  for (const auto& c : a.commands) {
    const std::size_t h = HashOf(c);
    auto it = std::lower_bound(theirs.begin(), theirs.end(), std::make_pair(h, nullptr),
                               [](const auto& l, const auto& r) { return l.first < r.first; });
    bool found = false;
    for (; it != theirs.end() && it->first == h; ++it) {
      const auto i = static_cast<std::size_t>(it - theirs.begin());
      if (!used[i] && *it->second == c) {
        used[i] = found = true;
        break;
      }
    }
    if (!found) out.push_back(c.clip);
  }
}

}  // namespace

std::vector<PxRect> ChangedAreas(const Frame& before, const Frame& after) {
  if (before.width != after.width || before.height != after.height || before.scale != after.scale)
    return {{0, 0, after.width, after.height}};
  std::vector<PxRect> areas;
  Missing(before, after, areas);
  Missing(after, before, areas);
  // Overlapping areas become one, so nothing is drawn twice.
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < areas.size() && !merged; ++i)
      for (std::size_t j = i + 1; j < areas.size() && !merged; ++j)
        if (!Intersect(areas[i], areas[j]).Empty()) {
          areas[i] = Union(areas[i], areas[j]);
          areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
        }
  }
  return areas;
}

}  // namespace quendar
