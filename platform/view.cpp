#include "platform/view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace quendar {

PxRect Intersect(const PxRect& a, const PxRect& b) {
  const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
  return {x0, y0, x1 - x0, y1 - y0};
}

bool HasMenuBar(const Window& window) {
  return std::any_of(window.menus().begin(), window.menus().end(),
                     [](const MenuItem& m) { return m.Visible; });
}

ViewLayout ViewLayout::Fit(int outW, int outH, const Window& window) {
  const int menu = HasMenuBar(window) ? kMenuBarHeightPx : 0;
  const int cw = std::max(1, window.clientWidthPx), ch = std::max(1, window.clientHeightPx);
  ViewLayout v;
  v.scale = std::min(static_cast<double>(outW) / cw, static_cast<double>(outH) / (ch + menu));
  if (!(v.scale > 0)) v.scale = 1.0 / 64;
  v.menuHeight = static_cast<int>(std::lround(menu * v.scale));
  v.client.w = static_cast<int>(std::lround(cw * v.scale));
  v.client.h = static_cast<int>(std::lround(ch * v.scale));
  v.client.x = (outW - v.client.w) / 2;
  v.client.y = v.menuHeight + (outH - v.menuHeight - v.client.h) / 2;
  return v;
}

std::pair<int, int> ViewLayout::SizeAt(const Window& window, double scale) {
  const int menu = HasMenuBar(window) ? kMenuBarHeightPx : 0;
  return {static_cast<int>(std::lround(window.clientWidthPx * scale)),
          static_cast<int>(std::lround((window.clientHeightPx + menu) * scale))};
}

std::optional<Point> ViewLayout::ToClient(double x, double y) const {
  if (x < client.x || y < client.y || x >= client.x + client.w || y >= client.y + client.h)
    return std::nullopt;
  return Point{(x - client.x) / scale, (y - client.y) / scale};
}

PxRect ElementRect(const Window& window, const Visual& v, double scale, int originX, int originY) {
  return {originX + static_cast<int>(std::lround(window.UnitsToPxX(v.Left, scale))),
          originY + static_cast<int>(std::lround(window.UnitsToPxY(v.Top, scale))),
          static_cast<int>(std::lround(window.UnitsToPxX(v.Width, scale))),
          static_cast<int>(std::lround(window.UnitsToPxY(v.Height, scale)))};
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

namespace {

// FNV-1a over the raw bytes of each field.
struct Hasher {
  std::uint64_t h = 1469598103934665603ull;
  void Bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n; ++i)
      h = (h ^ b[i]) * 1099511628211ull;
  }
  template <typename T>
  void Add(const T& v) {
    Bytes(&v, sizeof v);
  }
  void Add(const std::string& s) {
    Add(s.size());
    Bytes(s.data(), s.size());
  }
};

}  // namespace

std::uint64_t DrawSignature(const Window& window) {
  Hasher h;
  h.Add(window.BackColor);
  h.Add(window.Enabled);
  h.Add(window.Caption);
  for (const auto& m : window.menus()) {
    h.Add(m.Caption);
    h.Add(m.Enabled);
    h.Add(m.Visible);
  }
  for (const auto& e : window.elements()) {
    if (e->kind() == ElementKind::Timer) continue;
    const auto& v = static_cast<const Visual&>(*e);
    h.Add(v.Visible);
    if (!v.Visible) continue;
    h.Add(v.Left);
    h.Add(v.Top);
    h.Add(v.Width);
    h.Add(v.Height);
    h.Add(v.Enabled);
    h.Add(v.BackColor);
    if (e->kind() == ElementKind::Label) {
      const auto& l = static_cast<const Label&>(v);
      h.Add(l.Caption);
      h.Add(l.ForeColor);
      h.Add(l.BackStyle);
      h.Add(l.alignment);
      h.Add(l.font.family);
      h.Add(l.font.points);
      h.Add(l.font.bold);
    } else {
      h.Add(static_cast<const PictureBox&>(v).picture);
    }
  }
  return h.h;
}

}  // namespace quendar
