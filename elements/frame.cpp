#include "elements/frame.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "elements/frame_panel.h"

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
    BuildPanel(frame_.commands, panel, area, scale, metrics_);
  }

 private:
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

std::optional<Frame::Point> Frame::ToPanel(double x, double y) const {
  if (panel.Empty() || !panel.Contains(static_cast<int>(x), static_cast<int>(y)))
    return std::nullopt;
  return Point{(x - panel.x) / scale, (y - panel.y) / scale};
}

int Frame::MenuSlotAt(int x, int y) const {
  for (std::size_t i = 0; i < menu.size(); ++i)
    if (menu[i].rect.Contains(x, y)) return static_cast<int>(i);
  return -1;
}

}  // namespace quendar
