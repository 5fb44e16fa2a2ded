// A window's client area drawn into memory with SDL's software renderer: no display and
// no video subsystem needed. The driver's screenshots, the tests and the benchmark draw
// the same frame description through the same canvas as the game's windows.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "elements/window.h"
#include "platform/canvas.h"
#include "platform/fonts.h"
#include "platform/pictures.h"
#include "platform/sdl_handles.h"

namespace quendar {

class OffscreenCanvas {
 public:
  OffscreenCanvas(FontLibrary& fonts, PictureStore& pictures);
  OffscreenCanvas(const OffscreenCanvas&) = delete;
  OffscreenCanvas& operator=(const OffscreenCanvas&) = delete;

  // Draws the client area at `scale` and returns the picture (format RGB888), owned by
  // the canvas and valid until the next call. Throws std::runtime_error when SDL fails
  // and FontError when no font can be found.
  SDL_Surface* Draw(const Window& window, double scale = 1.0);
  // The frame the last Draw executed.
  const Frame& frame() const { return frame_; }

 private:
  FontLibrary& fonts_;
  PictureStore& pictures_;
  SurfacePtr surface_;
  SdlCanvas canvas_{fonts_, pictures_};
  Frame frame_;
};

// The colour of one pixel of an RGB888 surface, as 0xRRGGBB.
Color PixelAt(const SDL_Surface* surface, int x, int y);

// Writes a PNG; returns an error text naming the file when it cannot.
std::optional<std::string> SavePng(SDL_Surface* surface, const std::string& file);

}  // namespace quendar
