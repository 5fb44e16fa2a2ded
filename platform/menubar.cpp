#include "platform/menubar.h"

#include <cmath>

namespace quendar {

namespace {
constexpr Color kBarColor = 0xF0F0F0;
constexpr Color kBarLine = 0xD8D8D8;
constexpr Color kHoverColor = 0xCCE8FF;
constexpr Color kTextColor = 0x000000;
constexpr Color kGreyedColor = 0xA0A0A0;
constexpr int kPaddingPx = 7;
}  // namespace

Font MenuFont() {
  return Font{"ＭＳ ゴシック", 9.0f, false};
}

std::vector<MenuSlot> LayOutMenuBar(const Window& window, Painter& painter, double scale,
                                    int height) {
  std::vector<MenuSlot> slots;
  const int pad = static_cast<int>(std::lround(kPaddingPx * scale));
  int x = 0;
  for (const MenuItem& m : window.menus()) {
    if (!m.Visible) continue;
    const int w = painter.MeasureText(m.Caption, MenuFont(), scale).first + 2 * pad;
    slots.push_back({m.name, m.Caption, PxRect{x, 0, w, height}, m.Enabled && window.Enabled});
    x += w;
  }
  return slots;
}

int MenuSlotAt(const std::vector<MenuSlot>& slots, int x, int y) {
  for (std::size_t i = 0; i < slots.size(); ++i)
    if (slots[i].rect.Contains(x, y)) return static_cast<int>(i);
  return -1;
}

void DrawMenuBar(Painter& painter, const std::vector<MenuSlot>& slots, int width, int height,
                 double scale, int hover) {
  if (height <= 0) return;
  const int line = std::max(1, static_cast<int>(std::lround(scale)));
  painter.FillRect({0, 0, width, height}, kBarColor);
  painter.FillRect({0, height - line, width, line}, kBarLine);
  const Font font = MenuFont();
  const int pad = static_cast<int>(std::lround(kPaddingPx * scale));
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const MenuSlot& s = slots[i];
    const PxRect box{s.rect.x, s.rect.y, s.rect.w, s.rect.h - line};
    if (static_cast<int>(i) == hover && s.enabled) painter.FillRect(box, kHoverColor);
    const int textHeight = painter.MeasureText(s.caption, font, scale).second;
    painter.DrawText(s.caption, font, scale, s.enabled ? kTextColor : kGreyedColor, s.rect.x + pad,
                     s.rect.y + (box.h - textHeight) / 2, box);
  }
}

}  // namespace quendar
