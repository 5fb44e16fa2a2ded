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
  const Frame* held = repaint_.shown();
  if (force || w != lastWindow_ || !held || held->width != outW || held->height != outH)
    repaint_.Invalidate();
  if (!repaint_.Needed(runtime_.generation())) return false;
  Frame frame = BuildWindowFrame(*w, outW, outH, pointer_.hover(), metrics_);
  if (!FacesReady(frame)) return false;
  repaint_.Begin(runtime_.generation());
  const bool whole = repaint_.Whole();
  const std::vector<PxRect> areas = repaint_.Areas(frame);
  if (areas.empty()) return false;
  ExecuteOnCanvas(frame, whole ? nullptr : &areas);
  repaint_.Shown(std::move(frame));
  lastWindow_ = w;
  return true;
}

void CanvasScreen::PointerMove(int x, int y) {
  if (const Frame* f = last(); f && pointer_.Move(*f, x, y)) repaint_.Touch();
}

void CanvasScreen::PointerLeave() {
  if (pointer_.Leave()) repaint_.Touch();
}

void CanvasScreen::PointerDown(int x, int y) {
  const Window* w = Shown();
  if (last() && w && w == lastWindow_)
    pointer_.Press(*last(), *w, x, y);
  else
    pointer_.Cancel();
}

void CanvasScreen::PointerUp(int x, int y) {
  const Window* w = Shown();
  if (last() && w && w == lastWindow_)
    pointer_.Release(*last(), *w, x, y, runtime_);
  else
    pointer_.Cancel();
}

}  // namespace quendar
