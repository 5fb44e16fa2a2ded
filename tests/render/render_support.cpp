#include "tests/render/render_support.h"

#include <SDL_image.h>
#include <gtest/gtest.h>

#include "app/program.h"

namespace quendar::test {

CanvasRig::CanvasRig(int width, int height, std::function<void(Canvas&)> build,
                     std::vector<std::string> pictureDirs)
    : pictures_(std::move(pictureDirs)) {
  rt().Register("Canvas", [&, width, height, build](Runtime& rt) {
    auto c = std::make_unique<Canvas>(rt, width, height);
    build(*c);
    canvas_ = c.get();
    return c;
  });
  EXPECT_TRUE(rt().Start("Canvas"));
}

int CountColour(const SDL_Surface* s, PxRect r, Color c) {
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      n += PixelAt(s, x, y) == c;
  return n;
}

int CountTinted(const SDL_Surface* s, PxRect r, Color fore, Color back) {
  const auto channel = [](Color c, int shift) { return static_cast<int>((c >> shift) & 0xFF); };
  int n = 0;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x) {
      const Color c = PixelAt(s, x, y);
      bool tinted = true;
      double coverage = -1;
      for (int shift : {16, 8, 0}) {
        const int f = channel(fore, shift), b = channel(back, shift), v = channel(c, shift);
        if (f == b) {
          tinted = tinted && std::abs(v - b) <= 2;
          continue;
        }
        const double a = static_cast<double>(v - b) / (f - b);
        if (coverage < 0) coverage = a;
        tinted = tinted && std::abs(a - coverage) * std::abs(f - b) <= 3;
      }
      n += tinted && coverage >= 0.5;
    }
  return n;
}

int CountOther(const SDL_Surface* s, PxRect r, Color background) {
  return r.w * r.h - CountColour(s, r, background);
}

PxRect BoundsOf(const SDL_Surface* s, PxRect r, const std::function<bool(Color)>& match) {
  int x0 = r.x + r.w, y0 = r.y + r.h, x1 = r.x - 1, y1 = r.y - 1;
  for (int y = r.y; y < r.y + r.h; ++y)
    for (int x = r.x; x < r.x + r.w; ++x)
      if (match(PixelAt(s, x, y))) {
        x0 = std::min(x0, x);
        y0 = std::min(y0, y);
        x1 = std::max(x1, x);
        y1 = std::max(y1, y);
      }
  if (x1 < x0) return {r.x, r.y, 0, 0};
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

PxRect Whole(const SDL_Surface* s) {
  return {0, 0, s->w, s->h};
}

int InkBands(const SDL_Surface* s, PxRect r, Color background) {
  int bands = 0;
  bool inBand = false;
  for (int y = r.y; y < r.y + r.h; ++y) {
    const bool ink = CountOther(s, {r.x, y, r.w, 1}, background) > 0;
    if (ink && !inBand) ++bands;
    inBand = ink;
  }
  return bands;
}

void WritePng(const std::string& path, int w, int h,
              const std::function<std::uint32_t(int, int)>& pixel) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  ASSERT_NE(s, nullptr);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(s->pixels) + y * s->pitch)[x] =
          pixel(x, y);
  ASSERT_EQ(IMG_SavePNG(s, path.c_str()), 0) << IMG_GetError();
  SDL_FreeSurface(s);
}

}  // namespace quendar::test
