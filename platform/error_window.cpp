#include "platform/error_window.h"

#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "platform/sdl_handles.h"

namespace quendar {

namespace {

constexpr int kTextWidth = 520;
constexpr int kPad = 20;
constexpr int kButtonW = 96, kButtonH = 32;
constexpr int kTextPx = 15;

// The first scalable face fontconfig offers for the pattern, Japanese-capable first, so
// that file names in Japanese show too.
std::optional<std::pair<std::string, int>> FindFace() {
  if (!FcInit()) return std::nullopt;
  for (const char* pattern : {"sans-serif:lang=ja", "sans-serif"}) {
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(pattern));
    if (!p) continue;
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result = FcResultNoMatch;
    FcPattern* found = FcFontMatch(nullptr, p, &result);
    FcPatternDestroy(p);
    if (!found) continue;
    FcChar8* file = nullptr;
    int index = 0;
    FcBool scalable = FcFalse;
    std::optional<std::pair<std::string, int>> face;
    if (FcPatternGetString(found, FC_FILE, 0, &file) == FcResultMatch && file &&
        FcPatternGetBool(found, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable) {
      FcPatternGetInteger(found, FC_INDEX, 0, &index);
      face = std::make_pair(std::string(reinterpret_cast<const char*>(file)), index);
    }
    FcPatternDestroy(found);
    if (face) return face;
  }
  return std::nullopt;
}

struct Ttf {
  bool ok = TTF_Init() == 0;
  ~Ttf() {
    if (ok) TTF_Quit();
  }
};

bool Inside(const SDL_Rect& r, int x, int y) {
  return x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
}

}  // namespace

bool ShowErrorWindow(const std::string& message) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  const auto face = FindFace();
  if (!face) return false;
  Ttf ttf;
  if (!ttf.ok) return false;
  FontPtr font{TTF_OpenFontIndex(face->first.c_str(), kTextPx, face->second)};
  if (!font.get()) return false;
  const SDL_Color ink{0x20, 0x20, 0x20, 0xFF};
  SurfacePtr text{TTF_RenderUTF8_Blended_Wrapped(font.get(), message.c_str(), ink, kTextWidth)};
  SurfacePtr ok{TTF_RenderUTF8_Blended(font.get(), "OK", ink)};
  if (!text.get() || !ok.get()) return false;

  const int w = kTextWidth + 2 * kPad;
  const int h = kPad + text.get()->h + kPad + kButtonH + kPad;
  WindowPtr window{SDL_CreateWindow(kErrorWindowTitle, SDL_WINDOWPOS_CENTERED,
                                    SDL_WINDOWPOS_CENTERED, w, h, SDL_WINDOW_HIDDEN)};
  if (!window.get()) return false;
  RendererPtr renderer{SDL_CreateRenderer(window.get(), -1, SDL_RENDERER_SOFTWARE)};
  if (!renderer.get()) return false;
  TexturePtr textTex{SDL_CreateTextureFromSurface(renderer.get(), text.get())};
  TexturePtr okTex{SDL_CreateTextureFromSurface(renderer.get(), ok.get())};
  if (!textTex.get() || !okTex.get()) return false;

  const SDL_Rect textRect{kPad, kPad, text.get()->w, text.get()->h};
  const SDL_Rect button{w - kPad - kButtonW, h - kPad - kButtonH, kButtonW, kButtonH};
  const SDL_Rect okRect{button.x + (kButtonW - ok.get()->w) / 2,
                        button.y + (kButtonH - ok.get()->h) / 2, ok.get()->w, ok.get()->h};
  bool pressed = false;
  auto draw = [&] {
    SDL_SetRenderDrawColor(renderer.get(), 0xF4, 0xF4, 0xF4, 0xFF);
    SDL_RenderClear(renderer.get());
    SDL_RenderCopy(renderer.get(), textTex.get(), nullptr, &textRect);
    SDL_SetRenderDrawColor(renderer.get(), pressed ? 0xC8 : 0xE2, pressed ? 0xD4 : 0xE8, 0xF4,
                           0xFF);
    SDL_RenderFillRect(renderer.get(), &button);
    SDL_SetRenderDrawColor(renderer.get(), 0x3A, 0x6E, 0xA5, 0xFF);
    SDL_RenderDrawRect(renderer.get(), &button);
    SDL_RenderCopy(renderer.get(), okTex.get(), nullptr, &okRect);
    SDL_RenderPresent(renderer.get());
  };
  draw();
  SDL_ShowWindow(window.get());
  SDL_RaiseWindow(window.get());
  const Uint32 id = SDL_GetWindowID(window.get());
  for (;;) {
    SDL_Event e;
    if (!SDL_WaitEvent(&e)) return true;
    switch (e.type) {
      case SDL_QUIT:
        return true;
      case SDL_WINDOWEVENT:
        if (e.window.windowID != id) break;
        if (e.window.event == SDL_WINDOWEVENT_CLOSE) return true;
        if (e.window.event == SDL_WINDOWEVENT_EXPOSED || e.window.event == SDL_WINDOWEVENT_SHOWN)
          draw();
        break;
      case SDL_KEYDOWN: {
        const SDL_Keycode k = e.key.keysym.sym;
        if (k == SDLK_RETURN || k == SDLK_KP_ENTER || k == SDLK_ESCAPE || k == SDLK_SPACE)
          return true;
        break;
      }
      case SDL_MOUSEBUTTONDOWN:
        if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT &&
            Inside(button, e.button.x, e.button.y)) {
          pressed = true;
          draw();
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (e.button.windowID == id && e.button.button == SDL_BUTTON_LEFT && pressed) {
          if (Inside(button, e.button.x, e.button.y)) return true;
          pressed = false;
          draw();
        }
        break;
      default:
        break;
    }
  }
}

void ShowFatalError(const std::string& message) {
  if (ShowErrorWindow(message)) return;
  SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, kErrorWindowTitle, message.c_str(), nullptr);
}

}  // namespace quendar
