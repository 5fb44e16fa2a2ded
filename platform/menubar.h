// The menu bar we draw above a window's client area: the visible items left to right,
// the one under the mouse highlighted, all greyed while the window is disabled.
#pragma once

#include <string>
#include <vector>

#include "elements/window.h"
#include "platform/painter.h"
#include "platform/view.h"

namespace quendar {

struct MenuSlot {
  std::string name;
  std::string caption;
  PxRect rect;  // output pixels
  bool enabled;
};

// The font menu captions are drawn in.
Font MenuFont();

// The items of a bar `height` output pixels tall along the top of the output.
std::vector<MenuSlot> LayOutMenuBar(const Window& window, Painter& painter, double scale,
                                    int height);

// The slot under an output position, or -1.
int MenuSlotAt(const std::vector<MenuSlot>& slots, int x, int y);

void DrawMenuBar(Painter& painter, const std::vector<MenuSlot>& slots, int width, int height,
                 double scale, int hover);

}  // namespace quendar
