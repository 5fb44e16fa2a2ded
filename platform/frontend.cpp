#include "platform/frontend.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "platform/canvas.h"
#include "platform/data_dirs.h"
#include "platform/desktop.h"
#include "platform/display.h"
#include "platform/error_window.h"
#include "platform/fonts.h"
#include "platform/pictures.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "platform/warmup.h"

namespace quendar {

namespace {

void ReportFatal(const std::string& message, bool display) {
  std::cerr << "quendar: " << message << std::endl;
  // Scripts that test failures under a virtual display set this to avoid a box nobody
  // can dismiss.
  if (display && !std::getenv("QUENDAR_NO_MESSAGE_BOX")) ShowFatalError(message);
}

class FrontEnd {
 public:
  FrontEnd(const FrontEndOptions& options, const ProgramDescription& program,
           const FrontEndHooks& hooks, Runtime& runtime, FontLibrary& fonts, PictureStore& pictures)
      : options_(options),
        program_(program),
        hooks_(hooks),
        runtime_(runtime),
        fonts_(fonts),
        pictures_(pictures) {
    SDL_DisplayMode mode;
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0)
      framePeriod_ = static_cast<Uint64>((1000 + mode.refresh_rate - 1) / mode.refresh_rate);
  }

  void Run(const std::string& startWindow) {
    runtime_.Start(startWindow);
    while (!quit_) {
      runtime_.RunTimersUntil(runtime_.Now());
      if (hooks_.eventsDelivered) hooks_.eventsDelivered(runtime_);
      if (runtime_.fatal() || runtime_.Exited()) break;
      for (auto& [name, s] : screens_)
        s->ApplyFullscreen();
      SyncScreens();
      int timeout = toShow_.empty() ? DrawDue() : 0;
      if (const auto due = runtime_.NextDue()) {
        const auto wait = static_cast<int>(std::max<std::int64_t>(0, *due - runtime_.Now()));
        timeout = timeout < 0 ? wait : std::min(timeout, wait);
      }
      if (timeout < 0 || timeout > static_cast<int>(kWarmSliceMs)) {
        if (warmer_.Step(
                runtime_, program_.makeWindow, [this](const Window& w) { return InitialScale(w); },
                options_.fullscreen))
          timeout = 0;
      }
      SDL_Event e;
      if (timeout < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeout)) {
        Handle(e);
        while (SDL_PollEvent(&e))
          Handle(e);
      }
    }
    screens_.clear();
    if (hooks_.finished) hooks_.finished(runtime_);
  }

 private:
  // Draws the screens that may have changed, at most once per display refresh. Returns
  // how long to wait before trying again, or -1 when nothing waits to be drawn.
  int DrawDue() {
    bool pending = false;
    for (auto& [name, s] : screens_)
      pending = pending || s->NeedsDraw(runtime_.generation());
    if (!pending) return -1;
    const Uint64 now = SDL_GetTicks64();
    if (now - lastFrame_ < framePeriod_) return static_cast<int>(framePeriod_ - (now - lastFrame_));
    bool unfinished = false;
    for (auto& [name, s] : screens_) {
      if (!s->NeedsDraw(runtime_.generation())) continue;
      switch (s->Draw(runtime_.generation())) {
        case Screen::DrawResult::Sent:
          if (hooks_.frameShown) hooks_.frameShown(*s->model());
          break;
        case Screen::DrawResult::Pending:
          unfinished = true;
          break;
        case Screen::DrawResult::Unchanged:
          break;
      }
    }
    // A frame still rasterising goes on as soon as the timers due have run.
    if (unfinished) return 0;
    lastFrame_ = now;
    return -1;
  }

  double InitialScale(const Window& w) const {
    if (options_.scale > 0) return options_.scale;
    float ddpi = 0, hdpi = 0, vdpi = 0;
    SDL_Rect usable{0, 0, 0, 0};
    if (SDL_GetDisplayDPI(0, &ddpi, &hdpi, &vdpi) != 0) hdpi = 0;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return 1;
    const auto [w1, h1] =
        WindowSizeAt(w, 1.0, program_.sidePanel ? program_.sidePanel(w) : nullptr);
    return PickScale(DesktopDpi(hdpi), usable.w, usable.h, w1, h1);
  }

  // Opens an SDL window for each newly visible window of the program and closes those
  // whose window went away, opening first so the desktop never sees the game vanish.
  // Opening, closing what it replaces and showing take a turn each: each step can wait on
  // the window manager for milliseconds (most in full screen), and the timers due
  // meanwhile get their turn between them.
  void SyncScreens() {
    if (showNext_) {
      for (const auto& name : toShow_)
        if (auto it = screens_.find(name); it != screens_.end()) it->second->Show();
      toShow_.clear();
      showNext_ = false;
    }
    bool opened = false;
    for (const auto& name : runtime_.registered()) {
      Window* w = runtime_.Get(name);
      if (!w || !w->Visible) continue;
      const auto it = screens_.find(name);
      if (it != screens_.end() && it->second->model() == w) continue;
      if (it != screens_.end()) Retire(it);  // the same window reloaded: replaced at once
      screens_[name] = std::make_unique<Screen>(*w, fonts_, pictures_, InitialScale(*w),
                                                options_.fullscreen, program_.sidePanel);
      toShow_.push_back(name);
      opened = true;
    }
    // The windows replaced close in the next turn.
    if (opened) return;
    bool closed = false;
    for (auto it = screens_.begin(); it != screens_.end();) {
      Window* w = runtime_.Get(it->first);
      if (!w || !w->Visible || it->second->model() != w) {
        it = Retire(it);
        closed = true;
      } else {
        ++it;
      }
    }
    if (closed) {
      showNext_ = !toShow_.empty();
    } else {
      for (const auto& name : toShow_)
        if (auto it = screens_.find(name); it != screens_.end()) it->second->Show();
      toShow_.clear();
    }
  }

  using ScreenMap = std::map<std::string, std::unique_ptr<Screen>>;
  ScreenMap::iterator Retire(ScreenMap::iterator it) {
    // What the desktop sent the window while the loop was busy (a close during the
    // hand-over) must become SDL events before the window is gone, or it is dropped.
    SDL_PumpEvents();
    retired_.push_back(it->second->id());
    return screens_.erase(it);
  }

  // The screen of an SDL window, if the window of the program it shows is still loaded:
  // an earlier event of the same batch may have unloaded it.
  Screen* Find(Uint32 windowId) {
    for (auto& [name, s] : screens_)
      if (s->id() == windowId) return runtime_.Get(name) == s->model() ? s.get() : nullptr;
    return nullptr;
  }

  // A window this loop opened whose window of the program is gone or going.
  bool WasOurs(Uint32 windowId) const {
    for (const auto& [name, s] : screens_)
      if (s->id() == windowId) return true;
    return std::find(retired_.begin(), retired_.end(), windowId) != retired_.end();
  }

  void HandleWindowEvent(Screen& s, const SDL_WindowEvent& e) {
    switch (e.event) {
      case SDL_WINDOWEVENT_CLOSE:
        runtime_.Close();
        break;
      case SDL_WINDOWEVENT_LEAVE:
        s.MouseLeave();
        break;
      case SDL_WINDOWEVENT_SHOWN:
      case SDL_WINDOWEVENT_EXPOSED:
        s.Exposed();
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
      case SDL_WINDOWEVENT_RESTORED:
        s.Invalidate();
        break;
      default:
        break;
    }
  }

  void Handle(const SDL_Event& e) {
    switch (e.type) {
      case SDL_QUIT:
        quit_ = true;
        break;
      case SDL_WINDOWEVENT:
        if (Screen* s = Find(e.window.windowID))
          HandleWindowEvent(*s, e.window);
        else if (e.window.event == SDL_WINDOWEVENT_CLOSE && WasOurs(e.window.windowID))
          runtime_.Close();  // sent to a window being replaced: the player meant the game
        break;
      case SDL_KEYDOWN:
        if (Screen* s = Find(e.key.windowID)) s->HandleKey(e.key, runtime_);
        break;
      case SDL_MOUSEMOTION:
        if (Screen* s = Find(e.motion.windowID)) s->MouseMove(e.motion.x, e.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.button == SDL_BUTTON_LEFT)
          if (Screen* s = Find(e.button.windowID)) s->MouseDown(e.button.x, e.button.y);
        break;
      case SDL_MOUSEWHEEL:
        if (Screen* s = Find(e.wheel.windowID))
          s->Wheel(e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -e.wheel.y : e.wheel.y);
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
  const ProgramDescription& program_;
  const FrontEndHooks& hooks_;
  Runtime& runtime_;
  FontLibrary& fonts_;
  PictureStore& pictures_;
  std::map<std::string, std::unique_ptr<Screen>> screens_;
  std::vector<std::string> toShow_;  // opened, not shown yet
  bool showNext_ = false;            // what they replace closed: shown in the next turn
  std::vector<Uint32> retired_;      // SDL windows closed as their program's window went
  Uint64 framePeriod_ = 17;  // ms between repaints: at most one per refresh of a 60 Hz display
  Uint64 lastFrame_ = 0;
  bool quit_ = false;
  WindowWarmer warmer_{fonts_, pictures_};
};

}  // namespace

int RunGame(const FrontEndOptions& options, const ProgramDescription& program,
            const FrontEndHooks& hooks) {
  Display display;
  if (!display.problem().empty()) {
    std::cerr << "quendar: cannot open a display (" << display.problem()
              << "); the game needs a graphical desktop session\n";
    return 1;
  }
  try {
    FontLibrary fonts;
    // Matched now, so a machine without Japanese fonts hears about it before any window.
    fonts.Face("ＭＳ 明朝");
    fonts.Face("ＭＳ ゴシック");
    PictureStore pictures;
    const DataFiles files = GameDataFiles(options.list);
    SteadyClock clock;
    Random random(clock);
    MixerSound sound(files);
    if (program.soundMade) program.soundMade(sound);
    Runtime runtime(clock, random, sound);
    runtime.SetFiles(files);
    program.registerWindows(runtime);
    FrontEnd(options, program, hooks, runtime, fonts, pictures).Run(program.startWindow);
    if (runtime.fatal()) {
      ReportFatal(*runtime.fatal(), true);
      return 1;
    }
  } catch (const std::exception& e) {
    ReportFatal(e.what(), true);
    return 1;
  }
  return 0;
}

}  // namespace quendar
