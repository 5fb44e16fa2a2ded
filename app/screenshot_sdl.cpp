// The driver's screenshot: the game's Painter drawing into memory at scale 1, saved as PNG.
#include <memory>
#include <stdexcept>

#include "app/screenshot.h"
#include "platform/offscreen.h"

namespace quendar {

namespace {

// Fonts, pictures and the canvas are made on the first screenshot and kept for the next.
struct Shooter {
  std::unique_ptr<FontLibrary> fonts;
  std::unique_ptr<PictureStore> pictures;
  std::unique_ptr<OffscreenCanvas> canvas;
};

}  // namespace

Driver::Screenshooter MakeScreenshooter() {
  auto shooter = std::make_shared<Shooter>();
  return [shooter](const Window& window, const std::string& file) -> std::optional<std::string> {
    try {
      if (!shooter->canvas) {
        shooter->fonts = std::make_unique<FontLibrary>();
        shooter->pictures = std::make_unique<PictureStore>();
        shooter->canvas = std::make_unique<OffscreenCanvas>(*shooter->fonts, *shooter->pictures);
      }
      return SavePng(shooter->canvas->Draw(window, 1.0), file);
    } catch (const std::exception& e) {
      return std::string(e.what());
    }
  };
}

}  // namespace quendar
