#include "platform/display.h"

#include <SDL.h>
#include <X11/Xlib.h>

#include <csignal>
#include <cstdlib>

#include "platform/desktop.h"

namespace quendar {

namespace {

XErrorHandler previousXErrorHandler = nullptr;

// SDL wakes its own event wait by sending an event to a window through a second X
// connection; when the program has just closed that window, the server answers BadWindow
// and Xlib's default handler would end the program with status 1. Nothing is lost by
// ignoring that one; every other X error goes on to the handler SDL installed.
int IgnoreClosedWindowErrors(::Display* display, XErrorEvent* error) {
  if (error->error_code == BadWindow) return 0;
  return previousXErrorHandler ? previousXErrorHandler(display, error) : 0;
}

// SDL turns SIGINT and SIGTERM into a quit event but leaves SIGHUP, sent when the terminal
// closes, to its default action, which would end the game without its review. Passed on
// as SIGTERM, a hang-up ends the game as the other two do.
void HangUpAsTerminate(int) {
  std::raise(SIGTERM);
}

void TreatHangUpAsTerminate() {
  struct sigaction hup {};
  // A hang-up ignored on purpose (nohup) stays ignored.
  if (sigaction(SIGHUP, nullptr, &hup) != 0 || hup.sa_handler != SIG_DFL) return;
  hup.sa_handler = HangUpAsTerminate;
  sigemptyset(&hup.sa_mask);
  hup.sa_flags = SA_RESTART;
  sigaction(SIGHUP, &hup, nullptr);
}

}  // namespace

Display::Display() {
  // SDL's own software renderer: on a machine without a GPU the OpenGL path runs on a
  // software rasteriser and costs several times the start-up time and memory.
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  // Without this SDL would back the window surface with an OpenGL texture, which brings
  // that rasteriser back in.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  SDL_SetHint(SDL_HINT_VIDEO_X11_NET_WM_BYPASS_COMPOSITOR, "0");
  PrepareDesktop();

  const char* asked = std::getenv("SDL_VIDEODRIVER");
  const bool named = asked && *asked;
  if (!named && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
    problem_ = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return;
  }
  // Installed before SDL starts, so that SDL's own handler passes errors on to it and puts
  // it back when it shuts down (the late BadWindow often surfaces only then).
  previousXErrorHandler = XSetErrorHandler(IgnoreClosedWindowErrors);
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    problem_ = SDL_GetError();
    return;
  }
  started_ = true;
  TreatHangUpAsTerminate();
  // SDL falls back on drivers that draw nowhere; they count only when asked for by name.
  const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
  if (!named && (driver == "offscreen" || driver == "dummy" || driver == "evdev"))
    problem_ = "no X11 or Wayland display could be reached";
  else
    SDL_StopTextInput();
}

Display::~Display() {
  if (started_) SDL_Quit();
}

}  // namespace quendar
