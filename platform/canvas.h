// Executes frame descriptions on an SDL surface (a window's or an offscreen picture), and
// measures text for the frame builder with the same fonts. The game's windows and the
// driver's screenshots both draw through here, so what the tests see is what the player
// sees.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "elements/frame.h"
#include "platform/fonts.h"
#include "platform/pictures.h"
#include "platform/sdl_handles.h"

namespace quendar {

class SdlCanvas : public TextMetrics {
 public:
  SdlCanvas(FontLibrary& fonts, PictureStore& pictures);
  SdlCanvas(const SdlCanvas&) = delete;
  SdlCanvas& operator=(const SdlCanvas&) = delete;

  // Draws the frame's commands on a 32-bit surface; with `areas`, only inside those
  // rectangles (each area is drawn from the frame's bottom-most command up, so it comes
  // out exactly as a full redraw would).
  void Execute(SDL_Surface* target, const Frame& frame, const std::vector<PxRect>* areas = nullptr);

  // Rasterises the text and scales the pictures the frame needs and the caches lack, until
  // SDL_GetTicks64() passes `deadlineMs`; true once all of it is ready. A new window or a
  // new scale costs milliseconds of such work, which this lets the front end spread
  // between ticks.
  bool Prepare(const Frame& frame, std::uint64_t deadlineMs);

  int LineHeight(const std::string& face, int px, bool bold) override;
  int Width(std::string_view text, const std::string& face, int px, bool bold) override;

 private:
  // A line of text as its coverage, one byte a pixel: blended in any colour without
  // SDL's slow tinting blitter.
  struct Text {
    std::vector<std::uint8_t> alpha;
    int w, h;
    std::uint64_t lastFrame;
  };
  struct Pic {
    SurfacePtr surface;  // at the size it is drawn
    std::uint64_t lastFrame;
  };
  void Draw(SDL_Surface* target, const DrawCommand& c, const PxRect& clip);
  const Text* RenderLine(const DrawCommand& c);
  SDL_Surface* Picture(const std::string& name, double scale, const PxRect& box);

  FontLibrary& fonts_;
  PictureStore& pictures_;
  std::unordered_map<std::string, Text> texts_;
  std::map<std::tuple<std::string, int, bool, std::string>, int> widths_;
  std::map<std::pair<std::string, double>, Pic> pics_;
  std::uint64_t frame_ = 0;
};

// Text measured until a deadline: past it the answers are 0 and the frame built with them
// is thrown away, so a new size's fonts and widths are found a slice at a time (the canvas
// keeps what it measured, and the next slice starts from there).
class SlicedMetrics : public TextMetrics {
 public:
  SlicedMetrics(TextMetrics& inner, std::uint64_t deadlineMs)
      : inner_(inner), deadline_(deadlineMs) {}
  int LineHeight(const std::string& face, int px, bool bold) override {
    return Over() ? 0 : inner_.LineHeight(face, px, bold);
  }
  int Width(std::string_view text, const std::string& face, int px, bool bold) override {
    return Over() ? 0 : inner_.Width(text, face, px, bold);
  }
  bool complete() const { return !over_; }
  bool Complete() const override { return complete(); }

 private:
  bool Over() {
    over_ = over_ || (answered_++ > 0 && SDL_GetTicks64() > deadline_);
    return over_;
  }
  TextMetrics& inner_;
  std::uint64_t deadline_;
  int answered_ = 0;
  bool over_ = false;
};

}  // namespace quendar
