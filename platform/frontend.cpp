#include "platform/frontend.h"

#include <SDL.h>
#include <X11/Xlib.h>
#include <time.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/program.h"
#include "elements/runtime.h"
#include "platform/fonts.h"
#include "platform/keys.h"
#include "platform/menubar.h"
#include "platform/painter.h"
#include "platform/pictures.h"
#include "platform/sound.h"
#include "platform/view.h"

namespace quendar {

namespace {

constexpr Color kLetterbox = 0x303030;
// Room left for the window manager's title bar when picking a scale, at scale 1.
constexpr int kTitleBarAllowance = 40;

void ReportFatal(const std::string& message, bool display) {
  std::cerr << "quendar: " << message << std::endl;
  // Scripts that test failures under a virtual display set this to avoid a box nobody
  // can dismiss.
  if (display && !std::getenv("QUENDAR_NO_MESSAGE_BOX"))
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Quendar", message.c_str(), nullptr);
}

std::runtime_error SdlFailure(const std::string& what) {
  return std::runtime_error(what + ": " + SDL_GetError());
}

// One SDL window showing one window of the program.
class Screen {
 public:
  Screen(Window& model, FontLibrary& fonts, PictureStore& pictures, double scale)
      : model_(&model), pictures_(pictures) {
    const auto [w, h] = ViewLayout::SizeAt(model, scale);
    window_ =
        SDL_CreateWindow(model.Caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w,
                         h, SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (!window_) throw SdlFailure("cannot open the window " + model.Caption);
    caption_ = model.Caption;
    const auto [w1, h1] = ViewLayout::SizeAt(model, 1.0);
    SDL_SetWindowMinimumSize(window_, std::max(1, w1 / 4), std::max(1, h1 / 4));
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (!renderer_) {
      SDL_DestroyWindow(window_);
      throw SdlFailure("cannot draw in the window " + model.Caption);
    }
    painter_ = std::make_unique<Painter>(renderer_, fonts, pictures);
    SetIcon();
  }

  ~Screen() {
    painter_.reset();
    SDL_DestroyRenderer(renderer_);
    SDL_DestroyWindow(window_);
  }

  Screen(const Screen&) = delete;
  Screen& operator=(const Screen&) = delete;

  Window* model() const { return model_; }
  Uint32 id() const { return SDL_GetWindowID(window_); }

  void Show() {
    Draw();
    SDL_ShowWindow(window_);
    SDL_RaiseWindow(window_);
  }

  void MarkDirty() { dirty_ = true; }
  // Whether what would be drawn differs from the last frame. The signature is worked out
  // again only after the runtime has delivered another event.
  bool NeedsDraw(std::uint64_t generation) {
    if (generation != checkedGeneration_) {
      checkedGeneration_ = generation;
      changed_ = DrawSignature(*model_) != signature_;
    }
    return dirty_ || changed_;
  }

  void Draw() {
    if (model_->Caption != caption_) {
      caption_ = model_->Caption;
      SDL_SetWindowTitle(window_, caption_.c_str());
    }
    if (model_->icon != icon_) SetIcon();
    int outW = 0, outH = 0;
    SDL_GetRendererOutputSize(renderer_, &outW, &outH);
    layout_ = ViewLayout::Fit(outW, outH, *model_);
    slots_ = LayOutMenuBar(*model_, *painter_, layout_.scale, layout_.menuHeight);
    SDL_RenderSetClipRect(renderer_, nullptr);
    // The bars beside a letterboxed client area; at the designed size the menu bar and the
    // client cover everything, and a second full-frame fill would only cost time.
    const PxRect& c = layout_.client;
    if (c.x > 0 || c.y > layout_.menuHeight || c.x + c.w < outW || c.y + c.h < outH) {
      SDL_SetRenderDrawColor(renderer_, (kLetterbox >> 16) & 0xFF, (kLetterbox >> 8) & 0xFF,
                             kLetterbox & 0xFF, 0xFF);
      SDL_RenderClear(renderer_);
    }
    DrawMenuBar(*painter_, slots_, outW, layout_.menuHeight, layout_.scale, hover_);
    painter_->DrawWindow(*model_, layout_.client.x, layout_.client.y, layout_.scale);
    SDL_RenderPresent(renderer_);
    painter_->EndFrame();
    signature_ = DrawSignature(*model_);
    dirty_ = false;
    changed_ = false;
  }

  void MouseMove(int x, int y) {
    const auto [ox, oy] = ToOutput(x, y);
    SetHover(MenuSlotAt(slots_, ox, oy));
  }

  void MouseLeave() { SetHover(-1); }

  void MouseDown(int x, int y) {
    const auto [ox, oy] = ToOutput(x, y);
    pressedMenu_ = -1;
    pressedInClient_ = false;
    if (oy < layout_.menuHeight) {
      const int slot = MenuSlotAt(slots_, ox, oy);
      if (slot >= 0 && slots_[static_cast<std::size_t>(slot)].enabled) pressedMenu_ = slot;
    } else if (const auto p = layout_.ToClient(ox + 0.5, oy + 0.5)) {
      pressedInClient_ = true;
      pressedElement_ = model_->HitTest(p->x, p->y);
    }
  }

  // A click is a press and a release on the same thing, as on the desktop the game was
  // designed for.
  void MouseUp(int x, int y, Runtime& runtime) {
    const auto [ox, oy] = ToOutput(x, y);
    if (pressedMenu_ >= 0) {
      if (MenuSlotAt(slots_, ox, oy) == pressedMenu_)
        runtime.Menu(slots_[static_cast<std::size_t>(pressedMenu_)].name);
    } else if (pressedInClient_) {
      if (const auto p = layout_.ToClient(ox + 0.5, oy + 0.5))
        if (model_->HitTest(p->x, p->y) == pressedElement_) runtime.ClickAt(p->x, p->y);
    }
    pressedMenu_ = -1;
    pressedInClient_ = false;
  }

  void ToggleFullscreen() {
    const bool full = (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    SDL_SetWindowFullscreen(window_, full ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    dirty_ = true;
  }

 private:
  void SetIcon() {
    icon_ = model_->icon;
    if (icon_.empty()) return;
    if (SDL_Surface* s = pictures_.Icon(icon_)) SDL_SetWindowIcon(window_, s);
  }

  void SetHover(int slot) {
    if (slot == hover_) return;
    hover_ = slot;
    dirty_ = true;
  }

  // Window coordinates to output pixels; they differ only where the desktop scales.
  std::pair<int, int> ToOutput(int x, int y) const {
    int ww = 0, wh = 0, ow = 0, oh = 0;
    SDL_GetWindowSize(window_, &ww, &wh);
    SDL_GetRendererOutputSize(renderer_, &ow, &oh);
    if (ww <= 0 || wh <= 0 || (ww == ow && wh == oh)) return {x, y};
    return {x * ow / ww, y * oh / wh};
  }

  Window* model_;
  PictureStore& pictures_;
  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  std::unique_ptr<Painter> painter_;
  std::string caption_, icon_;
  ViewLayout layout_;
  std::vector<MenuSlot> slots_;
  int hover_ = -1;
  int pressedMenu_ = -1;
  bool pressedInClient_ = false;
  const Visual* pressedElement_ = nullptr;  // compared, never used: it may be gone
  std::uint64_t signature_ = 0;
  std::uint64_t checkedGeneration_ = ~std::uint64_t{0};
  bool changed_ = false;
  bool dirty_ = true;
};

long long RealtimeNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

// Figures for bench/run, written at exit when QUENDAR_BENCH_STATS names a file: the time
// from QUENDAR_BENCH_T0 (the benchmark's exec time) to the first frame, frames drawn, and
// how punctually the fall timer ticked since the main window opened.
class BenchStats {
 public:
  BenchStats() : file_(std::getenv("QUENDAR_BENCH_STATS")) {
    const char* t0 = std::getenv("QUENDAR_BENCH_T0");
    t0_ = t0 ? std::atoll(t0) : RealtimeNs();
  }
  void Frame() {
    if (frames_++ == 0) firstFrame_ = RealtimeNs();
  }
  void Watch(const Runtime& runtime) {
    if (!playStart_ && runtime.Get("Form1")) playStart_ = RealtimeNs();
  }
  void Write(const Runtime& runtime) const {
    if (!file_) return;
    Runtime::TickStats fall;
    for (const auto& [name, stats] : runtime.tickStats())
      if (name == "Form1.Timer1") fall = stats;
    const long long end = RealtimeNs();
    if (FILE* f = std::fopen(file_, "w")) {
      std::fprintf(f,
                   "{\"first_frame_ms\":%.1f,\"frames\":%llu,\"play_ticks\":%llu,"
                   "\"dropped\":%llu,\"max_late_ms\":%lld,\"seconds\":%.3f,"
                   "\"play_seconds\":%.3f}\n",
                   (firstFrame_ - t0_) / 1e6, static_cast<unsigned long long>(frames_),
                   static_cast<unsigned long long>(fall.delivered),
                   static_cast<unsigned long long>(fall.dropped),
                   static_cast<long long>(fall.maxLateMs), (end - t0_) / 1e9,
                   playStart_ ? (end - playStart_) / 1e9 : 0.0);
      std::fclose(f);
    }
  }

 private:
  const char* file_;
  long long t0_ = 0, firstFrame_ = 0, playStart_ = 0;
  std::uint64_t frames_ = 0;
};

class FrontEnd {
 public:
  FrontEnd(const FrontEndOptions& options, Runtime& runtime, FontLibrary& fonts,
           PictureStore& pictures)
      : options_(options), runtime_(runtime), fonts_(fonts), pictures_(pictures) {
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0)
      framePeriod_ = static_cast<Uint64>((1000 + mode.refresh_rate - 1) / mode.refresh_rate);
  }

  void Run() {
    runtime_.Start("cright");
    while (!quit_) {
      runtime_.RunTimersUntil(runtime_.Now());
      stats_.Watch(runtime_);
      if (runtime_.fatal() || runtime_.Exited()) break;
      SyncScreens();
      int timeout = -1;  // wait for an event, however long
      bool pending = false;
      for (auto& [name, s] : screens_)
        pending = pending || s->NeedsDraw(runtime_.generation());
      if (pending) {
        const Uint64 now = SDL_GetTicks64();
        if (now - lastFrame_ >= framePeriod_) {
          for (auto& [name, s] : screens_)
            if (s->NeedsDraw(runtime_.generation())) {
              s->Draw();
              stats_.Frame();
            }
          lastFrame_ = now;
        } else {
          timeout = static_cast<int>(framePeriod_ - (now - lastFrame_));
        }
      }
      if (const auto due = runtime_.NextDue()) {
        const auto wait = static_cast<int>(std::max<std::int64_t>(0, *due - runtime_.Now()));
        timeout = timeout < 0 ? wait : std::min(timeout, wait);
      }
      SDL_Event e;
      if (timeout < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout)) {
        Handle(e);
        while (SDL_PollEvent(&e))
          Handle(e);
      }
    }
    screens_.clear();
    stats_.Write(runtime_);
  }

 private:
  double InitialScale(const Window& w) const {
    if (options_.scale > 0) return options_.scale;
    float ddpi = 0, hdpi = 0, vdpi = 0;
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) != 0 ||
        SDL_GetDisplayUsableBounds(0, &usable) != 0)
      return 1;
    const auto [w1, h1] = ViewLayout::SizeAt(w, 1.0);
    return PickScale(hdpi, usable.w, usable.h, w1, h1);
  }

  // Opens an SDL window for each newly visible window of the program and closes those
  // whose window went away, opening first so the desktop never sees the game vanish.
  void SyncScreens() {
    std::vector<std::pair<std::string, std::unique_ptr<Screen>>> opened;
    for (const auto& name : runtime_.registered()) {
      Window* w = runtime_.Get(name);
      if (!w || !w->Visible) continue;
      const auto it = screens_.find(name);
      if (it != screens_.end() && it->second->model() == w) continue;
      opened.emplace_back(name, std::make_unique<Screen>(*w, fonts_, pictures_, InitialScale(*w)));
    }
    for (auto it = screens_.begin(); it != screens_.end();) {
      Window* w = runtime_.Get(it->first);
      if (!w || !w->Visible || it->second->model() != w)
        it = screens_.erase(it);
      else
        ++it;
    }
    for (auto& [name, s] : opened) {
      s->Show();
      stats_.Frame();
      screens_[name] = std::move(s);
    }
  }

  // The screen of an SDL window, if the window of the program it shows is still loaded:
  // an earlier event of the same batch may have unloaded it.
  Screen* Find(Uint32 windowId) {
    for (auto& [name, s] : screens_)
      if (s->id() == windowId) return runtime_.Get(name) == s->model() ? s.get() : nullptr;
    return nullptr;
  }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        quit_ = true;
        break;
      case SDL_WINDOWEVENT:
        if (Screen* s = Find(e.window.windowID)) {
          switch (e.window.event) {
            case SDL_WINDOWEVENT_CLOSE:
              if (s->model() == runtime_.Active()) runtime_.Close();
              break;
            case SDL_WINDOWEVENT_LEAVE:
              s->MouseLeave();
              break;
            case SDL_WINDOWEVENT_EXPOSED:
            case SDL_WINDOWEVENT_SIZE_CHANGED:
            case SDL_WINDOWEVENT_SHOWN:
            case SDL_WINDOWEVENT_RESTORED:
              s->MarkDirty();
              break;
            default:
              break;
          }
        }
        break;
      case SDL_KEYDOWN: {
        if (e.key.keysym.sym == SDLK_F11 && !e.key.repeat)
          if (Screen* s = Find(e.key.windowID)) s->ToggleFullscreen();
        if (const int vk = VirtualKeyCode(e.key.keysym.sym, e.key.keysym.scancode))
          runtime_.Key(vk);
        break;
      }
      case SDL_MOUSEMOTION:
        if (Screen* s = Find(e.motion.windowID)) s->MouseMove(e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT)
          if (Screen* s = Find(e.button.windowID)) s->MouseDown(e.button.x, e.button.y);
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.button == SDL_BUTTON_LEFT)
          if (Screen* s = Find(e.button.windowID)) s->MouseUp(e.button.x, e.button.y, runtime_);
        break;
      default:
        break;
    }
  }

  const FrontEndOptions& options_;
  Runtime& runtime_;
  FontLibrary& fonts_;
  PictureStore& pictures_;
  std::map<std::string, std::unique_ptr<Screen>> screens_;
  Uint64 framePeriod_ = 17;  // ms between repaints: at most one per refresh of a 60 Hz display
  Uint64 lastFrame_ = 0;
  bool quit_ = false;
  BenchStats stats_;
};

XErrorHandler previousXErrorHandler = nullptr;

// SDL wakes its own event wait by sending an event to a window through a second X
// connection; when the program has just closed that window, the server answers BadWindow
// and Xlib's default handler would end the program with status 1. Nothing is lost by
// ignoring that one; every other X error goes on to the handler SDL installed.
int IgnoreClosedWindowErrors(Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return previousXErrorHandler ? previousXErrorHandler(display, error) : 0;
}

// Starts SDL's video on a real display; returns why not, or "" on success.
std::string OpenDisplay() {
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const bool named = asked && *asked;
  if (!named && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
    return "neither DISPLAY nor WAYLAND_DISPLAY is set";
  // Installed before SDL starts, so that SDL's own handler passes errors on to it and puts
  // it back when it shuts down (the late BadWindow often surfaces only then).
  previousXErrorHandler = XSetErrorHandler(IgnoreClosedWindowErrors);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return SDL_GetError();
  // SDL falls back on drivers that draw nowhere; they count only when asked for by name.
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (!named && (driver == "offscreen" || driver == "dummy" || driver == "evdev")) {
    SDL_Quit();
    return "no X11 or Wayland display could be reached";
  }
  return "";
}

}  // namespace

int PickScale(float dpi, int usableW, int usableH, int windowW, int windowH) {
  if (!(dpi > 144.0f)) return 1;
  int s = std::max(1, static_cast<int>(std::lround(dpi / 96.0f)));
  while (s > 1 && (windowW * s > usableW || (windowH + kTitleBarAllowance) * s > usableH))
    --s;
  return s;
}

int RunGame(const FrontEndOptions& options) {
  // SDL's own software renderer: on a machine without a GPU the OpenGL path runs on a
  // software rasteriser and costs several times the start-up time and memory.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  // Without this SDL would back the window surface with an OpenGL texture, which brings
  // that rasteriser back in.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  if (const std::string why = OpenDisplay(); !why.empty()) {
    std::cerr << "quendar: cannot open a display (" << why
              << "); the game needs a graphical desktop session\n";
    return 1;
  }
  SDL_StopTextInput();
  int status = 0;
  try {
    FontLibrary fonts;
    // Matched now, so a machine without Japanese fonts hears about it before any window.
    fonts.Face("ＭＳ 明朝");
    fonts.Face("ＭＳ ゴシック");
    PictureStore pictures;
    SteadyClock clock;
    Random random(clock);
    MixerSound sound;
    Runtime runtime(clock, random, sound);
    RegisterProgram(runtime);
    FrontEnd(options, runtime, fonts, pictures).Run();
    if (runtime.fatal()) {
      ReportFatal(*runtime.fatal(), true);
      status = 1;
    }
  } catch (const std::exception& e) {
    ReportFatal(e.what(), true);
    status = 1;
  }
  SDL_Quit();
  return status;
}

}  // namespace quendar
