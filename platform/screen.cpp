#include "platform/screen.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace quendar {

namespace {

// Drawing work done at one go before the timers get their turn: well inside a fall tick.
constexpr std::uint64_t kSliceMs = 4;
// A whole window is drawn and sent about this many pixels at a time, checking the time
// between.
constexpr int kBandPixels = 1 << 16;

// Room left for the window manager's title bar when picking a scale, at scale 1.
constexpr int kTitleBarAllowance = 40;

std::runtime_error SdlFailure(const std::string& what) {
  return std::runtime_error(what + ": " + SDL_GetError());
}

}  // namespace

Screen::Screen(Window& model, FontLibrary& fonts, PictureStore& pictures, double scale,
               bool fullscreen, SidePanelSource panels)
    : model_(&model),
      pictures_(pictures),
      panels_(std::move(panels)),
      canvas_(fonts, pictures),
      caption_(model.Caption),
      fullscreen_(fullscreen) {
  const SidePanel* panel = Panel();
  hadPanel_ = panel != nullptr;
  const auto [w, h] = WindowSizeAt(model, scale, panel);
  window_.reset(SDL_CreateWindow(model.Caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                 SDL_WINDOWPOS_CENTERED, w, h,
                                 SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN));
  if (!window_) throw SdlFailure("cannot open the window " + model.Caption);
  const auto [w1, h1] = WindowSizeAt(model, 1.0);
  SDL_SetWindowMinimumSize(window_.get(), std::max(1, w1 / 4), std::max(1, h1 / 4));
  SetIcon();
}

void Screen::Show() {
  // Full screen only now: a window made full screen while the one it replaces still is
  // makes SDL wait ~100 ms for the window manager to take that one out of full screen.
  if (fullscreen_) SDL_SetWindowFullscreen(window_.get(), SDL_WINDOW_FULLSCREEN_DESKTOP);
  SDL_ShowWindow(window_.get());
  SDL_RaiseWindow(window_.get());
}

void Screen::Exposed() {
  if (mapped_ && repaint_.shown()) SDL_UpdateWindowSurface(window_.get());
  mapped_ = true;
}

Screen::DrawResult Screen::Draw(std::uint64_t generation) {
  repaint_.Begin(generation);
  const std::uint64_t deadline = SDL_GetTicks64() + kSliceMs;
  if (model_->Caption != caption_) {
    caption_ = model_->Caption;
    SDL_SetWindowTitle(window_.get(), caption_.c_str());
  }
  if (model_->icon != icon_) SetIcon();
  // Drawing goes straight into the window's surface, so a frame can send the display
  // just the rectangles it changed. Before the window is on screen there is no surface
  // yet, but its fonts, glyphs and pictures can be made ready at the size it will have.
  const SidePanel* panel = Panel();
  if (mapped_ && (panel != nullptr) != hadPanel_) FitPanel(panel);
  SDL_Surface* surface = nullptr;
  int w = 0, h = 0;
  if (mapped_) {
    if (!(surface = SDL_GetWindowSurface(window_.get())))
      throw SdlFailure("cannot draw in the window " + model_->Caption);
    w = surface->w;
    h = surface->h;
  } else {
    SizeToCome(w, h);
  }
  SlicedMetrics metrics(canvas_, deadline);
  Frame frame = BuildWindowFrame(*model_, w, h, pointer_.hover(), metrics, panel);
  if (!metrics.complete() || !canvas_.Prepare(frame, deadline)) {
    repaint_.Touch();
    return DrawResult::Pending;
  }
  if (!mapped_) {
    warm_ = true;
    return DrawResult::Unchanged;
  }
  current_ = std::move(frame);
  if (repaint_.Whole()) return PaintWhole(surface, deadline);
  const std::vector<PxRect> areas = repaint_.Areas(current_);
  if (areas.empty()) return DrawResult::Unchanged;
  canvas_.Execute(surface, current_, &areas);
  Send(areas);
  repaint_.Shown(current_);
  return DrawResult::Sent;
}

Screen::DrawResult Screen::PaintWhole(SDL_Surface* surface, std::uint64_t deadline) {
  // A band at a time, each sent as it is drawn: the first touch of a new surface and
  // sending all of it cost tens of milliseconds on a busy machine, more than a fall tick.
  if (painting_ && painting_->width == current_.width && painting_->height == current_.height) {
    // What changed meanwhile in the bands already sent.
    std::vector<PxRect> redo;
    for (const PxRect& a : ChangedAreas(*painting_, current_))
      if (const PxRect r = Intersect(a, {0, 0, current_.width, paintedTo_}); !r.Empty())
        redo.push_back(r);
    if (!redo.empty()) {
      canvas_.Execute(surface, current_, &redo);
      Send(redo);
    }
  } else {
    paintedTo_ = 0;
  }
  painting_ = current_;
  const int rows = std::max(8, kBandPixels / std::max(1, current_.width));
  while (paintedTo_ < current_.height) {
    const std::vector<PxRect> band{
        {0, paintedTo_, current_.width, std::min(rows, current_.height - paintedTo_)}};
    canvas_.Execute(surface, current_, &band);
    Send(band);
    paintedTo_ += band[0].h;
    if (paintedTo_ < current_.height && SDL_GetTicks64() > deadline) {
      repaint_.Touch();
      return DrawResult::Pending;
    }
  }
  painting_.reset();
  paintedTo_ = 0;
  repaint_.Shown(current_);
  return DrawResult::Sent;
}

void Screen::Send(const std::vector<PxRect>& areas) {
  std::vector<SDL_Rect> rects;
  rects.reserve(areas.size());
  for (const PxRect& a : areas)
    rects.push_back({a.x, a.y, a.w, a.h});
  SDL_UpdateWindowSurfaceRects(window_.get(), rects.data(), static_cast<int>(rects.size()));
}

void Screen::SizeToCome(int& w, int& h) const {
  SDL_DisplayMode mode;
  if (fullscreen_ && SDL_GetDesktopDisplayMode(
                         std::max(0, SDL_GetWindowDisplayIndex(window_.get())), &mode) == 0) {
    w = mode.w;
    h = mode.h;
  } else {
    SDL_GetWindowSizeInPixels(window_.get(), &w, &h);
  }
}

void Screen::HandleKey(const SDL_KeyboardEvent& key, Runtime& runtime) {
  switch (WindowKeyFor(key.keysym.sym, key.repeat != 0)) {
    case WindowKey::ToggleFullscreen:
      wantFullscreen_ = !wantFullscreen_.value_or(IsFullscreen());
      return;
    case WindowKey::Consumed:
      return;
    case WindowKey::LeaveFullscreen:
      if (wantFullscreen_.value_or(IsFullscreen())) wantFullscreen_ = false;
      break;
    case WindowKey::None:
      break;
  }
  // Ctrl+C copies the row chosen in the panel; with nothing chosen it is the game's key.
  const SidePanel* panel = Panel();
  if (key.keysym.sym == SDLK_c && (key.keysym.mod & KMOD_CTRL) && panel && panel->input) {
    const std::string text = panel->input->CopyText();
    if (!text.empty() && SDL_SetClipboardText(text.c_str()) == 0) {
      panel->input->Copied();
      Touch();
      return;
    }
  }
  if (const int vk = VirtualKeyCode(key.keysym.sym, key.keysym.scancode)) {
    runtime.Key(vk);
    // A key the panel took (the review's scrolling) changes it outside the game's events.
    if (panel) Touch();
  }
}

void Screen::Wheel(int notches) {
  const SidePanel* panel = Panel();
  if (panel && panel->input && panel->input->Wheel(notches)) Touch();
}

void Screen::MouseMove(int x, int y) {
  const auto [ox, oy] = ToOutput(x, y);
  if (pointer_.Move(current_, ox, oy)) Touch();
}

void Screen::MouseLeave() {
  if (pointer_.Leave()) Touch();
}

void Screen::MouseDown(int x, int y) {
  const auto [ox, oy] = ToOutput(x, y);
  if (const auto at = current_.ToPanel(ox + 0.5, oy + 0.5)) {
    const SidePanel* panel = Panel();
    if (panel && panel->input && panel->input->Click(at->x, at->y)) Touch();
    return;
  }
  // A click beside the panel's card closes it; on the field it does nothing more, as a
  // dialog's backdrop, while the menu bar still works.
  if (const SidePanel* panel = Panel(); panel && panel->input && panel->input->ClickOutside()) {
    Touch();
    if (current_.ToClient(ox + 0.5, oy + 0.5)) return;
  }
  pointer_.Press(current_, *model_, ox, oy);
}

void Screen::MouseUp(int x, int y, Runtime& runtime) {
  const auto [ox, oy] = ToOutput(x, y);
  pointer_.Release(current_, *model_, ox, oy, runtime);
}

void Screen::FitPanel(const SidePanel* panel) {
  hadPanel_ = panel != nullptr;
  Invalidate();
  // Full screen or maximised, the window keeps its size and the field and panel share it;
  // otherwise it grows or shrinks by the panel at the scale it shows now.
  if (SDL_GetWindowFlags(window_.get()) & (SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_MAXIMIZED))
    return;
  int ow = 0, oh = 0, ww = 0, wh = 0;
  SDL_GetWindowSizeInPixels(window_.get(), &ow, &oh);
  SDL_GetWindowSize(window_.get(), &ww, &wh);
  const double density = ow > 0 ? static_cast<double>(ww) / ow : 1.0;
  const auto [w, h] = WindowSizeAt(*model_, current_.scale, panel);
  SDL_SetWindowSize(window_.get(), std::max(1, static_cast<int>(std::lround(w * density))),
                    std::max(1, static_cast<int>(std::lround(h * density))));
}

bool Screen::IsFullscreen() const {
  return (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_FULLSCREEN) != 0;
}

void Screen::ApplyFullscreen() {
  if (!wantFullscreen_) return;
  const bool want = *wantFullscreen_;
  wantFullscreen_.reset();
  if (want == IsFullscreen()) return;
  SDL_SetWindowFullscreen(window_.get(), want ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  Invalidate();
}

void Screen::SetIcon() {
  icon_ = model_->icon;
  if (icon_.empty()) return;
  if (SDL_Surface* s = pictures_.Icon(icon_)) SDL_SetWindowIcon(window_.get(), s);
}

std::pair<int, int> Screen::ToOutput(int x, int y) const {
  int ww = 0, wh = 0, ow = 0, oh = 0;
  SDL_GetWindowSize(window_.get(), &ww, &wh);
  SDL_GetWindowSizeInPixels(window_.get(), &ow, &oh);
  if (ww <= 0 || wh <= 0 || (ww == ow && wh == oh)) return {x, y};
  return {x * ow / ww, y * oh / wh};
}

int PickScale(float dpi, int usableW, int usableH, int windowW, int windowH) {
  if (!(dpi > 144.0f)) return 1;
  int s = std::max(1, static_cast<int>(std::lround(dpi / 96.0f)));
  while (s > 1 && (windowW * s > usableW || (windowH + kTitleBarAllowance) * s > usableH))
    --s;
  return s;
}

}  // namespace quendar
