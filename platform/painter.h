// Draws a window's elements onto an SDL renderer at a scale: background, labels and
// picture boxes in stacking order. The game's windows and the driver's screenshots both
// draw through here, so what the tests see is what the player sees.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_map>

#include "elements/window.h"
#include "platform/fonts.h"
#include "platform/pictures.h"
#include "platform/view.h"

namespace quendar {

class Painter {
 public:
  Painter(SDL_Renderer* renderer, FontLibrary& fonts, PictureStore& pictures);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  SDL_Renderer* renderer() const { return renderer_; }

  // Draws the client area with its top-left corner at output pixel (x, y). Nothing is
  // drawn outside the client area.
  void DrawWindow(const Window& window, int x, int y, double scale);

  // One line of text with its top-left corner at (x, y), clipped to `clip`.
  void DrawText(std::string_view text, const Font& font, double scale, Color color, int x, int y,
                const PxRect& clip);
  // Width of one line of text and the height of a line, in output pixels.
  std::pair<int, int> MeasureText(std::string_view text, const Font& font, double scale);

  void FillRect(const PxRect& r, Color c);

  // Lets go of cached text that the last frames did not draw; call after each frame.
  void EndFrame();

 private:
  struct Text {
    SDL_Texture* texture;  // white, tinted when drawn
    int w, h;
    std::uint64_t lastFrame;
  };
  const Text* RenderLine(std::string_view line, const Font& font, double scale);
  void Blit(const Text& t, Color color, int x, int y, const PxRect& clip);
  SDL_Texture* Picture(const std::string& name, int& w, int& h, int boxW, int boxH);
  void DrawLabel(const Label& label, const PxRect& rect, const PxRect& clip, double scale);
  void DrawPicture(const PictureBox& box, const PxRect& rect, const PxRect& clip, double scale);
  void SetClip(const PxRect& r);

  SDL_Renderer* renderer_;
  FontLibrary& fonts_;
  PictureStore& pictures_;
  std::unordered_map<std::string, Text> texts_;
  struct Pic {
    SDL_Texture* texture;
    int w, h;
  };
  std::map<std::string, Pic> pics_;
  std::uint64_t frame_ = 0;
};

int FontPixels(const Font& font, double scale);

}  // namespace quendar
