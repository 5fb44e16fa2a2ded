#include "platform/offscreen.h"

#include <SDL_image.h>

#include <cmath>
#include <stdexcept>

namespace quendar {

OffscreenCanvas::OffscreenCanvas(FontLibrary& fonts, PictureStore& pictures)
    : fonts_(fonts), pictures_(pictures) {}

SDL_Surface* OffscreenCanvas::Draw(const Window& window, double scale) {
  const int w = std::max(1, static_cast<int>(std::lround(window.clientWidthPx * scale)));
  const int h = std::max(1, static_cast<int>(std::lround(window.clientHeightPx * scale)));
  if (!surface_ || surface_->w != w || surface_->h != h) {
    surface_.reset(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888));
    if (!surface_)
      throw std::runtime_error(std::string("cannot make a picture: ") + SDL_GetError());
  }
  frame_ = BuildClientFrame(window, scale, canvas_);
  canvas_.Execute(surface_.get(), frame_);
  return surface_.get();
}

Color PixelAt(const SDL_Surface* surface, int x, int y) {
  const auto* row = static_cast<const std::uint8_t*>(surface->pixels) + y * surface->pitch;
  return reinterpret_cast<const std::uint32_t*>(row)[x] & 0xFFFFFF;
}

std::optional<std::string> SavePng(SDL_Surface* surface, const std::string& file) {
  if (IMG_SavePNG(surface, file.c_str()) != 0)
    return "cannot write " + file + ": " + IMG_GetError();
  return std::nullopt;
}

}  // namespace quendar
