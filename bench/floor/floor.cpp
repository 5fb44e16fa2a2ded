// The floor the game is measured against: a minimal SDL2 + SDL2_ttf program doing the
// same drawing work (16 cached kanji textures, 60 rectangles, a 10 ms timer moving one
// block) the plain way: the whole window redrawn and presented at the display's rate.
// Usage: quendar-floor [software|default] [--scale N] [--fullscreen]
// Environment: QUENDAR_BENCH_T0 (exec time, ns of CLOCK_REALTIME), QUENDAR_BENCH_STATS
// (file for the figures), QUENDAR_BENCH_SECONDS (run time, default 10).
#include <SDL.h>
#include <SDL_ttf.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

long long RealtimeNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

long long MonotonicNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

constexpr int kDesignW = 580, kDesignH = 586;
constexpr long long kTickNs = 10'000'000;

// How punctually the 10 ms timer ticked, counted the way the game's runtime counts its
// timers: a late tick is delivered once and the next falls due a period after it returns.
struct Ticks {
  long long due = 0;
  unsigned delivered = 0, dropped = 0;
  long long maxLateNs = 0;

  bool Due(long long now) const { return now >= due; }
  void Delivered(long long now) {
    ++delivered;
    maxLateNs = std::max(maxLateNs, now - due);
    const long long late = now - due;
    due += kTickNs;
    if (due <= now) {
      dropped += static_cast<unsigned>(late / kTickNs);
      due = now + kTickNs;
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  bool software = true, fullscreen = false;
  double scale = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "default") == 0) software = false;
    if (std::strcmp(argv[i], "--fullscreen") == 0) fullscreen = true;
    if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) scale = std::atof(argv[++i]);
  }
  const char* t0env = std::getenv("QUENDAR_BENCH_T0");
  const long long t0 = t0env ? std::atoll(t0env) : RealtimeNs();
  const char* secsEnv = std::getenv("QUENDAR_BENCH_SECONDS");
  const long long runNs = static_cast<long long>((secsEnv ? std::atof(secsEnv) : 10.0) * 1e9);
  if (software) {
    // Straight to the window surface, as the game draws: no OpenGL texture behind it.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0 || TTF_Init() != 0) {
    std::fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_DisplayMode mode{};
  const int hz =
      SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate > 0 ? mode.refresh_rate : 60;
  const long long frameNs = 1'000'000'000LL / hz;

  const long long windowNs = RealtimeNs();
  // The timer runs from before the window is made, as the game's fall timer runs from
  // the hand-over: opening the window may make it late too.
  Ticks ticks;
  const long long tickStart = MonotonicNs();
  ticks.due = tickStart + kTickNs;
  const int ww = static_cast<int>(kDesignW * scale), wh = static_cast<int>(kDesignH * scale);
  SDL_Window* win = SDL_CreateWindow("floor", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, ww,
                                     wh, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
  SDL_Renderer* ren =
      win ? SDL_CreateRenderer(win, -1, software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED)
          : nullptr;
  int outW = 0, outH = 0;
  if (ren) SDL_GetRendererOutputSize(ren, &outW, &outH);
  // The design scaled to fit the output, centred, as the game letterboxes a full screen.
  const double s = std::min(outW / double(kDesignW), outH / double(kDesignH));
  const int ox = (outW - static_cast<int>(kDesignW * s)) / 2;
  const int oy = (outH - static_cast<int>(kDesignH * s)) / 2;
  auto px = [s](int v) { return static_cast<int>(v * s); };
  TTF_Font* font =
      TTF_OpenFont("/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf", std::max(1, px(37)));
  if (!win || !ren || !font) {
    std::fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  const char* kanji[16] = {"山", "川", "学", "校", "電", "車", "時", "間",
                           "天", "気", "代", "表", "能", "力", "表", "示"};
  std::vector<SDL_Texture*> tex;
  for (const char* k : kanji) {
    SDL_Surface* surf = TTF_RenderUTF8_Blended(font, k, SDL_Color{0, 0, 0, 255});
    tex.push_back(SDL_CreateTextureFromSurface(ren, surf));
    SDL_FreeSurface(surf);
  }
  int tops[8] = {};
  long long firstNs = 0;
  unsigned frames = 0;
  unsigned seed = 1;
  const long long start = MonotonicNs();
  long long nextFrame = start;
  long long droppedByFirst = -1;
  for (;;) {
    long long now = MonotonicNs();
    if (now - start >= runNs) break;
    if (ticks.Due(now)) {
      seed = seed * 1103515245u + 12345u;
      tops[(seed >> 16) % 8] = (tops[(seed >> 16) % 8] + 1) % 400;
      ticks.Delivered(now);
    }
    if (now >= nextFrame) {
      SDL_SetRenderDrawColor(ren, 0x30, 0x30, 0x30, 255);
      SDL_RenderClear(ren);
      SDL_Rect client{ox, oy, px(kDesignW), px(kDesignH)};
      SDL_SetRenderDrawColor(ren, 255, 255, 255, 255);
      SDL_RenderFillRect(ren, &client);
      for (int i = 0; i < 60; ++i) {
        SDL_Rect r{ox + px((i % 20) * 28), oy + px(30 + (i / 20) * 20), px(13), px(15)};
        SDL_SetRenderDrawColor(ren, 255, 255, i % 2 ? 0 : 255, 255);
        SDL_RenderFillRect(ren, &r);
      }
      for (int i = 0; i < 16; ++i) {
        SDL_Rect r{ox + px(25 + (i % 8) * 61), oy + px(i < 8 ? 26 + tops[i] : 511), px(43), px(41)};
        SDL_SetRenderDrawColor(ren, 255, 255, 255, 255);
        SDL_RenderFillRect(ren, &r);
        SDL_RenderCopy(ren, tex[static_cast<std::size_t>(i)], nullptr, &r);
      }
      SDL_RenderPresent(ren);
      ++frames;
      if (!firstNs) {
        firstNs = RealtimeNs();
        droppedByFirst = ticks.dropped;
      }
      // Paced on the display's period, not on when this frame happened to start.
      nextFrame += frameNs;
      if (nextFrame <= now) nextFrame = now + frameNs;
    }
    SDL_Event e;
    now = MonotonicNs();
    const long long wake = std::min(ticks.due, nextFrame);
    const int waitMs = wake > now ? static_cast<int>((wake - now + 999'999) / 1'000'000) : 0;
    if (SDL_WaitEventTimeout(&e, waitMs) && e.type == SDL_QUIT) break;
    while (SDL_PollEvent(&e))
      if (e.type == SDL_QUIT) break;
  }
  const double elapsed = (MonotonicNs() - tickStart) / 1e9;
  if (const char* out = std::getenv("QUENDAR_BENCH_STATS")) {
    if (FILE* f = std::fopen(out, "w")) {
      std::fprintf(f,
                   "{\"first_frame_ms\":%.1f,\"to_first_visible_ms\":%.1f,\"frames\":%u,"
                   "\"play_ticks\":%u,\"dropped\":%u,\"max_late_ms\":%.1f,\"seconds\":%.3f,"
                   "\"play_seconds\":%.3f,\"dropped_by_first_visible\":%lld,"
                   "\"video_driver\":\"%s\",\"refresh_hz\":%d}\n",
                   (firstNs - t0) / 1e6, (firstNs - windowNs) / 1e6, frames, ticks.delivered,
                   ticks.dropped, ticks.maxLateNs / 1e6, (RealtimeNs() - t0) / 1e9, elapsed,
                   droppedByFirst, SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "",
                   hz);
      std::fclose(f);
    }
  }
  for (SDL_Texture* t : tex)
    SDL_DestroyTexture(t);
  TTF_CloseFont(font);
  SDL_DestroyRenderer(ren);
  SDL_DestroyWindow(win);
  TTF_Quit();
  SDL_Quit();
  return 0;
}
