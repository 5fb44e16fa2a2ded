#include "web/frontend.h"

#include <emscripten.h>

#include <cmath>

namespace quendar {

namespace {

// clang-format off
EM_JS(void, js_play_sound, (const char* file), { Module.quendarSound.play(UTF8ToString(file)); });
EM_JS(void, js_capture, (const char* name), { Module.quendarCanvas.capture(UTF8ToString(name)); });
// clang-format on

}  // namespace

PageClock::PageClock() : start_(emscripten_get_now()) {}

std::int64_t PageClock::Now() const {
  const double now = heldAt_ ? *heldAt_ : emscripten_get_now();
  return static_cast<std::int64_t>(std::floor(now - start_));
}

void PageClock::Hold(bool on) {
  if (on && !heldAt_) {
    heldAt_ = emscripten_get_now();
  } else if (!on && heldAt_) {
    start_ += emscripten_get_now() - *heldAt_;
    heldAt_.reset();
  }
}

void PageSound::Play(const std::string& file) {
  requests_.push_back({clock_.Now(), file});
  js_play_sound(file.c_str());
}

void CaptureClientArea(const Window& window, const std::string& name) {
  CanvasMetrics metrics;
  ExecuteOnCanvas(BuildClientFrame(window, 1.0, metrics), nullptr);
  js_capture(name.c_str());
}

const Window* CanvasScreen::Shown() const {
  if (const Window* w = runtime_.Active(); w && w->Visible) return w;
  const Window* shown = nullptr;
  for (const auto& name : runtime_.registered())
    if (const Window* w = runtime_.Get(name); w && w->Visible) shown = w;
  return shown;
}

bool CanvasScreen::Draw(int outW, int outH, bool force) {
  const Window* w = Shown();
  if (!w || outW <= 0 || outH <= 0) return false;
  const bool sameWindow =
      w == lastWindow_ && last_ && last_->width == outW && last_->height == outH;
  if (sameWindow && !force && !hoverChanged_ && runtime_.generation() == lastGeneration_)
    return false;
  Frame frame = BuildWindowFrame(*w, outW, outH, hover_, metrics_);
  lastGeneration_ = runtime_.generation();
  hoverChanged_ = false;
  if (sameWindow && !force) {
    const std::vector<PxRect> changed = ChangedAreas(*last_, frame);
    if (changed.empty()) return false;
    ExecuteOnCanvas(frame, &changed);
  } else {
    ExecuteOnCanvas(frame, nullptr);
  }
  last_ = std::move(frame);
  lastWindow_ = w;
  return true;
}

void CanvasScreen::PointerMove(int x, int y) {
  if (!last_) return;
  const int slot = last_->MenuSlotAt(x, y);
  if (slot != hover_) {
    hover_ = slot;
    hoverChanged_ = true;
  }
}

void CanvasScreen::PointerLeave() {
  if (hover_ != -1) hoverChanged_ = true;
  hover_ = -1;
}

void CanvasScreen::PointerDown(int x, int y) {
  pressedMenu_ = -1;
  pressedInClient_ = false;
  const Window* w = Shown();
  if (!last_ || !w || w != lastWindow_) return;
  const int slot = last_->MenuSlotAt(x, y);
  if (slot >= 0) {
    if (last_->menu[static_cast<std::size_t>(slot)].enabled) pressedMenu_ = slot;
  } else if (const auto p = last_->ToClient(x + 0.5, y + 0.5)) {
    pressedInClient_ = true;
    pressedElement_ = w->HitTest(p->x, p->y);
  }
}

void CanvasScreen::PointerUp(int x, int y) {
  const Window* w = Shown();
  if (last_ && w && w == lastWindow_) {
    if (pressedMenu_ >= 0) {
      if (last_->MenuSlotAt(x, y) == pressedMenu_)
        runtime_.Menu(last_->menu[static_cast<std::size_t>(pressedMenu_)].name);
    } else if (pressedInClient_) {
      if (const auto p = last_->ToClient(x + 0.5, y + 0.5))
        if (w->HitTest(p->x, p->y) == pressedElement_) runtime_.ClickAt(p->x, p->y);
    }
  }
  pressedMenu_ = -1;
  pressedInClient_ = false;
}

}  // namespace quendar
