// Shared set-up for the drawing tests: a free-form window placed in whole pixels, the
// offscreen canvas the driver's screenshots use, and pixel counting helpers.
#pragma once

#include <SDL.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "elements/runtime.h"
#include "elements/window.h"
#include "game/form1.h"
#include "platform/fonts.h"
#include "platform/offscreen.h"
#include "platform/pictures.h"
#include "tests/harness.h"

namespace quendar::test {

// A window whose elements a test places freely; one unit is one pixel. It records the
// labels that clicks reach.
class Canvas : public Window {
 public:
  Canvas(Runtime& runtime, int width, int height) : Window(runtime, "Canvas") {
    Caption = "Canvas";
    clientWidthPx = width;
    clientHeightPx = height;
    twipsPerUnitX = twipsPerUnitY = 15.0;
  }

  // Elements are added topmost first, as the layouts list them.
  Label& Put(const std::string& name, PxRect r, Color back, int backStyle = 1) {
    Label& l = Place(AddLabel(name), r, back);
    l.Click = [this, &l](int) { clicked.push_back(l.DisplayName()); };
    l.BackStyle = backStyle;
    l.font = Font{"ＭＳ 明朝", 20.25f, false};
    return l;
  }
  PictureBox& PutPicture(const std::string& name, PxRect r, Color back, const std::string& file) {
    PictureBox& p = Place(AddPicture(name), r, back);
    p.picture = file;
    return p;
  }
  void Menu(const std::string& name, const std::string& caption) { AddMenu(name, caption); }

  std::vector<std::string> clicked;

 private:
  template <typename V>
  static V& Place(V& v, PxRect r, Color back) {
    v.Left = static_cast<float>(r.x);
    v.Top = static_cast<float>(r.y);
    v.Width = static_cast<float>(r.w);
    v.Height = static_cast<float>(r.h);
    v.BackColor = back;
    return v;
  }
};

// A runtime running one Canvas, with fonts, pictures from `pictureDirs` and an offscreen
// canvas to draw it.
class CanvasRig {
 public:
  CanvasRig(int width, int height, std::function<void(Canvas&)> build,
            std::vector<std::string> pictureDirs = {});
  Canvas& canvas() { return *canvas_; }
  Runtime& rt() { return engine_.runtime; }
  FontLibrary& fonts() { return fonts_; }
  PictureStore& pictures() { return pictures_; }
  SDL_Surface* Draw(double scale = 1.0) { return offscreen_.Draw(*canvas_, scale); }

 private:
  HeadlessEngine engine_{false};
  FontLibrary fonts_;
  PictureStore pictures_;
  OffscreenCanvas offscreen_{fonts_, pictures_};
  Canvas* canvas_ = nullptr;
};

// Pixels of exactly this colour inside a rectangle.
int CountColour(const SDL_Surface* s, PxRect r, Color c);
// Pixels inside a rectangle that are `fore` blended over `back` at least half way, as
// antialiased text is.
int CountTinted(const SDL_Surface* s, PxRect r, Color fore, Color back);
// Pixels that differ from `background` inside a rectangle.
int CountOther(const SDL_Surface* s, PxRect r, Color background);

// The bounding box of the pixels matching a test, or an empty box when there are none.
PxRect BoundsOf(const SDL_Surface* s, PxRect r, const std::function<bool(Color)>& match);

PxRect Whole(const SDL_Surface* s);

// Horizontal bands of rows holding at least one pixel unlike `background`.
int InkBands(const SDL_Surface* s, PxRect r, Color background);

// A small RGBA picture written as PNG to `path`; `pixel(x, y)` gives 0xAARRGGBB.
void WritePng(const std::string& path, int w, int h,
              const std::function<std::uint32_t(int, int)>& pixel);

}  // namespace quendar::test
