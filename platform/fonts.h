// Fonts by the layouts' family names: matched through fontconfig to an installed
// Japanese face, opened with SDL_ttf at a pixel size and cached.
#pragma once

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <tuple>

#include "platform/sdl_handles.h"

namespace quendar {

// No Japanese face is installed at all: the game cannot draw its text.
class FontError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct FontFace {
  std::string file;
  int index = 0;  // face within a collection file
  std::string family;
  bool substitute = false;  // not one of the faces the layouts are drawn for
};

class FontLibrary {
 public:
  // `config` is the fontconfig configuration to search, or null for the system's.
  explicit FontLibrary(FcConfig* config = nullptr);
  ~FontLibrary();
  FontLibrary(const FontLibrary&) = delete;
  FontLibrary& operator=(const FontLibrary&) = delete;

  // The installed face for a design family name such as "ＭＳ 明朝". Throws FontError
  // when not even a substitute exists.
  const FontFace& Face(const std::string& family);

  // The face opened at `px` pixels to the em, bold or not; owned by the library.
  // Throws FontError when the file cannot be opened.
  TTF_Font* Open(const std::string& family, int px, bool bold);

  // Once many sizes are open, closes those not asked for since the previous call, so
  // that resizing a window through many scales does not keep every size open.
  void Trim();

 private:
  FcConfig* config_;
  std::map<std::string, FontFace> faces_;  // by design family
  struct Opened {
    FontPtr font;
    bool used;
  };
  std::map<std::tuple<std::string, int, int, bool>, Opened> open_;  // file, index, px, bold
  bool warnedSubstitute_ = false;
};

// The characters the kanji card's stroke order face draws; empty when the face is not
// installed, so the card draws its kanji in Mincho.
std::function<bool(char32_t)> StrokeOrderGlyphs(FcConfig* config = nullptr);

// Whether a design family asks for a Mincho (serif) face rather than a Gothic one.
bool IsMinchoFamily(const std::string& family);

}  // namespace quendar
