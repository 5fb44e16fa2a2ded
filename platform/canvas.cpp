#include "platform/canvas.h"

#include <SDL_ttf.h>

#include <cmath>
#include <iostream>

namespace quendar {

namespace {

// Cached lines of text and scaled pictures beyond these many are dropped unless the last
// frame drew them.
constexpr std::size_t kTextCacheSize = 256;
constexpr std::size_t kPictureCacheSize = 64;
constexpr std::size_t kWidthCacheSize = 4096;

template <typename Map>
void Trim(Map& cache, std::size_t limit, std::uint64_t frame) {
  if (cache.size() > limit)
    std::erase_if(cache, [&](const auto& kv) { return kv.second.lastFrame + 1 < frame; });
}

// Text coverage over a 32-bit surface, with the arithmetic of SDL's blitter for a tinted
// white glyph: the colour is weighted by the coverage, then the rest of the pixel kept.
void BlendCoverage(SDL_Surface* target, const std::uint8_t* alpha, int w, int x, int y,
                   const PxRect& area, Color colour) {
  const SDL_PixelFormat* f = target->format;
  const std::uint32_t src[3] = {(colour >> 16) & 0xFF, (colour >> 8) & 0xFF, colour & 0xFF};
  const int shift[3] = {f->Rshift, f->Gshift, f->Bshift};
  for (int row = area.y; row < area.y + area.h; ++row) {
    auto* dst = reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(target->pixels) +
                                                 row * target->pitch);
    const std::uint8_t* cov = alpha + static_cast<std::ptrdiff_t>(row - y) * w - x;
    for (int col = area.x; col < area.x + area.w; ++col) {
      const std::uint32_t a = cov[col];
      if (a == 0) continue;
      std::uint32_t out = dst[col];
      for (int i = 0; i < 3; ++i) {
        const std::uint32_t d = (out >> shift[i]) & 0xFF;
        const std::uint32_t v = (a < 255 ? src[i] * a / 255 : src[i]) + (255 - a) * d / 255;
        out = (out & ~(0xFFu << shift[i])) | (v << shift[i]);
      }
      dst[col] = out;
    }
  }
}

}  // namespace

SdlCanvas::SdlCanvas(FontLibrary& fonts, PictureStore& pictures)
    : fonts_(fonts), pictures_(pictures) {}

int SdlCanvas::LineHeight(const std::string& face, int px, bool bold) {
  return TTF_FontHeight(fonts_.Open(face, px, bold));
}

int SdlCanvas::Width(std::string_view text, const std::string& face, int px, bool bold) {
  if (text.empty()) return 0;
  auto key = std::make_tuple(face, px, bold, std::string(text));
  if (auto it = widths_.find(key); it != widths_.end()) return it->second;
  int w = 0, h = 0;
  if (TTF_SizeUTF8(fonts_.Open(face, px, bold), std::get<3>(key).c_str(), &w, &h) != 0) w = 0;
  if (widths_.size() >= kWidthCacheSize) widths_.clear();
  widths_.emplace(std::move(key), w);
  return w;
}

bool SdlCanvas::Prepare(const Frame& frame, std::uint64_t deadlineMs) {
  // At least one new line per call, so a slow machine still gets there.
  bool renderedOne = false;
  for (const auto& c : frame.commands) {
    if (c.op == DrawOp::Fill) continue;
    if (renderedOne && SDL_GetTicks64() > deadlineMs) return false;
    // Pictures too: decoding and scaling them for a new window or size costs as much.
    const std::size_t before = texts_.size() + pics_.size();
    if (c.op == DrawOp::Text)
      RenderLine(c);
    else
      Picture(c.text, c.scale, c.rect);
    renderedOne = renderedOne || texts_.size() + pics_.size() != before;
  }
  return true;
}

void SdlCanvas::Execute(SDL_Surface* target, const Frame& frame, const std::vector<PxRect>* areas) {
  const PxRect whole{0, 0, target->w, target->h};
  if (SDL_MUSTLOCK(target)) SDL_LockSurface(target);
  if (!areas) {
    for (const auto& c : frame.commands)
      if (const PxRect clip = Intersect(c.clip, whole); !clip.Empty()) Draw(target, c, clip);
  } else {
    for (const PxRect& area : *areas)
      for (const auto& c : frame.commands)
        if (const PxRect clip = Intersect(Intersect(c.clip, area), whole); !clip.Empty())
          Draw(target, c, clip);
  }
  if (SDL_MUSTLOCK(target)) SDL_UnlockSurface(target);
  SDL_SetClipRect(target, nullptr);
  ++frame_;
  Trim(texts_, kTextCacheSize, frame_);
  Trim(pics_, kPictureCacheSize, frame_);
  fonts_.Trim();
}

void SdlCanvas::Draw(SDL_Surface* target, const DrawCommand& c, const PxRect& clip) {
  switch (c.op) {
    case DrawOp::Fill: {
      const PxRect r = Intersect(c.rect, clip);
      if (r.Empty()) break;
      const SDL_Rect rect{r.x, r.y, r.w, r.h};
      SDL_FillRect(target, &rect,
                   SDL_MapRGB(target->format, (c.color >> 16) & 0xFF, (c.color >> 8) & 0xFF,
                              c.color & 0xFF));
      break;
    }
    case DrawOp::Text:
      if (const Text* t = RenderLine(c)) {
        const PxRect r = Intersect({c.rect.x, c.rect.y, t->w, t->h}, clip);
        if (!r.Empty() && target->format->BytesPerPixel == 4)
          BlendCoverage(target, t->alpha.data(), t->w, c.rect.x, c.rect.y, r, c.color);
      }
      break;
    case DrawOp::Picture:
      if (SDL_Surface* p = Picture(c.text, c.scale, c.rect)) {
        const SDL_Rect sdlClip{clip.x, clip.y, clip.w, clip.h};
        SDL_SetClipRect(target, &sdlClip);
        SDL_Rect dest{c.rect.x, c.rect.y, p->w, p->h};
        SDL_BlitSurface(p, nullptr, target, &dest);
        SDL_SetClipRect(target, nullptr);
      }
      break;
  }
}

SDL_Surface* SdlCanvas::Picture(const std::string& name, double scale, const PxRect& box) {
  const auto key = std::make_pair(name, scale);
  if (auto it = pics_.find(key); it != pics_.end()) {
    it->second.lastFrame = frame_;
    return it->second.surface.get();
  }
  SurfacePtr out;
  if (SDL_Surface* s = pictures_.Get(name, static_cast<int>(std::lround(box.w / scale)),
                                     static_cast<int>(std::lround(box.h / scale)))) {
    // Whole scales keep the pixels sharp; in-between ones (a full screen) are smoothed.
    const bool whole = scale == std::floor(scale);
    // Blended from the picture's own format, as SDL's renderer does with such pictures;
    // SDL smooths only 32-bit pixels, so a 24-bit picture is widened for that.
    const Uint32 format = whole || s->format->BytesPerPixel == 4
                              ? s->format->format
                              : static_cast<Uint32>(SDL_PIXELFORMAT_ARGB8888);
    SurfacePtr argb(SDL_ConvertSurfaceFormat(s, format, 0));
    const int w = static_cast<int>(std::lround(s->w * scale));
    const int h = static_cast<int>(std::lround(s->h * scale));
    if (argb && (w != s->w || h != s->h) && w > 0 && h > 0) {
      SurfacePtr scaled(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, format));
      if (scaled &&
          (whole ? SDL_SoftStretch(argb.get(), nullptr, scaled.get(), nullptr)
                 : SDL_SoftStretchLinear(argb.get(), nullptr, scaled.get(), nullptr)) == 0)
        argb = std::move(scaled);
      else
        argb.reset();
    }
    if (argb) {
      SDL_SetSurfaceBlendMode(argb.get(), SDL_BLENDMODE_BLEND);
      out = std::move(argb);
    } else {
      std::cerr << "quendar: picture " << name << " cannot be drawn: " << SDL_GetError() << '\n';
    }
  }
  SDL_Surface* result = out.get();
  pics_.emplace(key, Pic{std::move(out), frame_});
  return result;
}

const SdlCanvas::Text* SdlCanvas::RenderLine(const DrawCommand& c) {
  std::string key = c.face;
  key += '\0';
  key += std::to_string(c.px);
  key += c.bold ? 'b' : 'r';
  key += '\0';
  key += c.text;
  if (auto it = texts_.find(key); it != texts_.end()) {
    it->second.lastFrame = frame_;
    return &it->second;
  }
  TTF_Font* f = fonts_.Open(c.face, c.px, c.bold);
  SurfacePtr s(TTF_RenderUTF8_Blended(f, c.text.c_str(), SDL_Color{255, 255, 255, 255}));
  if (!s || s->format->format != SDL_PIXELFORMAT_ARGB8888) return nullptr;
  Text t{std::vector<std::uint8_t>(static_cast<std::size_t>(s->w) * s->h), s->w, s->h, frame_};
  for (int y = 0; y < s->h; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(
        static_cast<const std::uint8_t*>(s->pixels) + y * s->pitch);
    for (int x = 0; x < s->w; ++x)
      t.alpha[static_cast<std::size_t>(y) * s->w + x] = static_cast<std::uint8_t>(row[x] >> 24);
  }
  return &texts_.emplace(std::move(key), std::move(t)).first->second;
}

}  // namespace quendar
