#include "elements/pointer.h"

namespace quendar {

bool Pointer::Move(const Frame& frame, int x, int y) {
  const int slot = frame.MenuSlotAt(x, y);
  if (slot == hover_) return false;
  hover_ = slot;
  return true;
}

bool Pointer::Leave() {
  if (hover_ < 0) return false;
  hover_ = -1;
  return true;
}

void Pointer::Press(const Frame& frame, const Window& window, int x, int y) {
  Cancel();
  if (y < frame.menuHeight) {
    const int slot = frame.MenuSlotAt(x, y);
    if (slot >= 0 && frame.menu[static_cast<std::size_t>(slot)].enabled) pressedMenu_ = slot;
  } else if (const auto p = frame.ToClient(x + 0.5, y + 0.5)) {
    pressedInClient_ = true;
    pressedElement_ = window.HitTest(p->x, p->y);
  }
}

void Pointer::Release(const Frame& frame, const Window& window, int x, int y, Runtime& runtime) {
  if (pressedMenu_ >= 0) {
    if (frame.MenuSlotAt(x, y) == pressedMenu_)
      runtime.Menu(frame.menu[static_cast<std::size_t>(pressedMenu_)].name);
  } else if (pressedInClient_) {
    if (const auto p = frame.ToClient(x + 0.5, y + 0.5))
      if (window.HitTest(p->x, p->y) == pressedElement_) runtime.ClickAt(p->x, p->y);
  }
  Cancel();
}

void Pointer::Cancel() {
  pressedMenu_ = -1;
  pressedInClient_ = false;
}

}  // namespace quendar
