// The floor the game is measured against: a minimal SDL2 + SDL2_ttf program doing the
// same drawing work (16 cached kanji textures, 60 rectangles, redraw on change at most 60
// times a second, a 10 ms timer moving one block). Usage: quendar-floor [software|default]
// Environment: QUENDAR_BENCH_T0 (exec time, ns of CLOCK_REALTIME), QUENDAR_BENCH_STATS
// (file for the figures), QUENDAR_BENCH_SECONDS (run time, default 10).
#include <SDL.h>
#include <SDL_ttf.h>
#include <time.h>

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
}  // namespace

int main(int argc, char** argv) {
  const bool software = argc < 2 || std::strcmp(argv[1], "default") != 0;
  const char* t0env = std::getenv("QUENDAR_BENCH_T0");
  const long long t0 = t0env ? std::atoll(t0env) : RealtimeNs();
  const char* secsEnv = std::getenv("QUENDAR_BENCH_SECONDS");
  const Uint32 runMs = static_cast<Uint32>((secsEnv ? std::atof(secsEnv) : 10.0) * 1000);
  if (software) {
    // Straight to the window surface: no OpenGL texture behind it.
    SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  }
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER) != 0 || TTF_Init() != 0) {
    std::fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  SDL_Window* win =
      SDL_CreateWindow("floor", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 580, 586, 0);
  SDL_Renderer* ren =
      SDL_CreateRenderer(win, -1, software ? SDL_RENDERER_SOFTWARE : SDL_RENDERER_ACCELERATED);
  TTF_Font* font = TTF_OpenFont("/usr/share/fonts/opentype/ipafont-mincho/ipam.ttf", 37);
  if (!win || !ren || !font) {
    std::fprintf(stderr, "floor: %s\n", SDL_GetError());
    return 1;
  }
  TTF_SetFontStyle(font, TTF_STYLE_BOLD);
  const char* kanji[16] = {"山", "川", "学", "校", "電", "車", "時", "間",
                           "天", "気", "代", "表", "能", "力", "表", "示"};
  std::vector<SDL_Texture*> tex;
  for (const char* k : kanji) {
    SDL_Surface* s = TTF_RenderUTF8_Blended(font, k, SDL_Color{0, 0, 0, 255});
    tex.push_back(SDL_CreateTextureFromSurface(ren, s));
    SDL_FreeSurface(s);
  }
  int tops[8] = {};
  bool dirty = true;
  bool firstShown = false;
  long long firstNs = 0;
  unsigned frames = 0, ticks = 0;
  Uint32 nextTick = SDL_GetTicks() + 10, lastFrame = 0;
  unsigned seed = 1;
  const Uint32 start = SDL_GetTicks();
  for (;;) {
    const Uint32 now = SDL_GetTicks();
    if (now - start >= runMs) break;
    if (static_cast<Sint32>(now - nextTick) >= 0) {
      seed = seed * 1103515245u + 12345u;
      tops[(seed >> 16) % 8] = (tops[(seed >> 16) % 8] + 1) % 400;
      ++ticks;
      dirty = true;
      nextTick += 10;
      if (static_cast<Sint32>(now - nextTick) >= 0) nextTick = now + 10;
    }
    if (dirty && now - lastFrame >= 16) {
      SDL_SetRenderDrawColor(ren, 255, 255, 255, 255);
      SDL_RenderClear(ren);
      for (int i = 0; i < 60; ++i) {
        SDL_Rect r{(i % 20) * 28, 30 + (i / 20) * 20, 13, 15};
        SDL_SetRenderDrawColor(ren, 255, 255, i % 2 ? 0 : 255, 255);
        SDL_RenderFillRect(ren, &r);
      }
      for (int i = 0; i < 16; ++i) {
        SDL_Rect r{25 + (i % 8) * 61, i < 8 ? 26 + tops[i] : 511, 43, 41};
        SDL_SetRenderDrawColor(ren, 255, 255, 255, 255);
        SDL_RenderFillRect(ren, &r);
        SDL_RenderCopy(ren, tex[static_cast<std::size_t>(i)], nullptr, &r);
      }
      SDL_RenderPresent(ren);
      ++frames;
      lastFrame = now;
      dirty = false;
      if (!firstShown) {
        firstShown = true;
        firstNs = RealtimeNs();
      }
    }
    SDL_Event e;
    const Uint32 after = SDL_GetTicks();
    const Sint32 wait = static_cast<Sint32>(nextTick - after);
    if (SDL_WaitEventTimeout(&e, wait > 0 ? wait : 0)) {
      if (e.type == SDL_QUIT) break;
    }
  }
  const Uint32 elapsed = SDL_GetTicks() - start;
  if (const char* out = std::getenv("QUENDAR_BENCH_STATS")) {
    if (FILE* f = std::fopen(out, "w")) {
      std::fprintf(f,
                   "{\"first_frame_ms\":%.1f,\"frames\":%u,\"ticks\":%u,\"dropped\":0,"
                   "\"max_late_ms\":0,\"seconds\":%.3f}\n",
                   (firstNs - t0) / 1e6, frames, ticks, elapsed / 1000.0);
      std::fclose(f);
    }
  }
  TTF_CloseFont(font);
  TTF_Quit();
  SDL_Quit();
  return 0;
}
