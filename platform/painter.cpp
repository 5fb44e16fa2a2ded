#include "platform/painter.h"

#include <SDL_ttf.h>

#include <cmath>
#include <iostream>

namespace quendar {

namespace {

constexpr Color kDisabledText = 0x808080;
constexpr Color kDisabledShadow = 0xFFFFFF;
// Cached lines of text beyond this many are dropped unless the last frame drew them.
constexpr std::size_t kTextCacheSize = 256;

}  // namespace

int FontPixels(const Font& font, double scale) {
  return std::max(1, static_cast<int>(std::lround(font.Pixels() * scale)));
}

Painter::Painter(SDL_Renderer* renderer, FontLibrary& fonts, PictureStore& pictures)
    : renderer_(renderer), fonts_(fonts), pictures_(pictures) {}

Painter::~Painter() {
  for (auto& [k, t] : texts_)
    SDL_DestroyTexture(t.texture);
  for (auto& [k, p] : pics_)
    if (p.texture) SDL_DestroyTexture(p.texture);
}

void Painter::SetClip(const PxRect& r) {
  const SDL_Rect c{r.x, r.y, r.w, r.h};
  SDL_RenderSetClipRect(renderer_, &c);
}

void Painter::FillRect(const PxRect& r, Color c) {
  if (r.Empty()) return;
  SetClip(r);
  SDL_SetRenderDrawBlendMode(renderer_, SDL_BLENDMODE_NONE);
  SDL_SetRenderDrawColor(renderer_, (c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF, 0xFF);
  const SDL_Rect rect{r.x, r.y, r.w, r.h};
  SDL_RenderFillRect(renderer_, &rect);
}

void Painter::DrawWindow(const Window& window, int x, int y, double scale) {
  const PxRect area{x, y, static_cast<int>(std::lround(window.clientWidthPx * scale)),
                    static_cast<int>(std::lround(window.clientHeightPx * scale))};
  FillRect(area, window.BackColor);
  // The list is topmost first: paint from the bottom up.
  const auto& elements = window.elements();
  for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
    const Element& e = **it;
    if (e.kind() == ElementKind::Timer) continue;
    const auto& v = static_cast<const Visual&>(e);
    if (!v.Visible) continue;
    const PxRect rect = ElementRect(window, v, scale, x, y);
    if (rect.Empty()) continue;
    const PxRect clip = Intersect(rect, area);
    if (clip.Empty()) continue;
    if (e.kind() == ElementKind::Label)
      DrawLabel(static_cast<const Label&>(v), rect, clip, scale);
    else
      DrawPicture(static_cast<const PictureBox&>(v), rect, clip, scale);
  }
  SDL_RenderSetClipRect(renderer_, nullptr);
}

void Painter::DrawLabel(const Label& label, const PxRect& rect, const PxRect& clip, double scale) {
  if (label.BackStyle != 0) FillRect(clip, label.BackColor);
  if (label.Caption.empty()) return;
  const int lineHeight = TTF_FontHeight(
      fonts_.Open(label.font.family, FontPixels(label.font, scale), label.font.bold));
  // A disabled label's text is embossed: a white copy one pixel down and right under a
  // grey one.
  const int shadow = std::max(1, static_cast<int>(std::lround(scale)));
  int y = rect.y;
  for (std::string_view line : SplitLines(label.Caption)) {
    if (y >= clip.y + clip.h) break;
    if (const Text* t = line.empty() ? nullptr : RenderLine(line, label.font, scale)) {
      int x = rect.x;
      if (label.alignment == Alignment::Right)
        x = rect.x + rect.w - t->w;
      else if (label.alignment == Alignment::Center)
        x = rect.x + static_cast<int>(std::floor((rect.w - t->w) / 2.0));
      if (label.Enabled) {
        Blit(*t, label.ForeColor, x, y, clip);
      } else {
        Blit(*t, kDisabledShadow, x + shadow, y + shadow, clip);
        Blit(*t, kDisabledText, x, y, clip);
      }
    }
    y += lineHeight;
  }
}

void Painter::DrawPicture(const PictureBox& box, const PxRect& rect, const PxRect& clip,
                          double scale) {
  FillRect(clip, box.BackColor);
  if (box.picture.empty()) return;
  int w = 0, h = 0;
  SDL_Texture* texture = Picture(box.picture, w, h, static_cast<int>(std::lround(rect.w / scale)),
                                 static_cast<int>(std::lround(rect.h / scale)));
  if (!texture) return;
  // The picture keeps its own pixel size, anchored at the box's top-left corner.
  const SDL_Rect dest{rect.x, rect.y, static_cast<int>(std::lround(w * scale)),
                      static_cast<int>(std::lround(h * scale))};
  // Whole scales keep the pixels sharp; in-between ones are smoothed.
  SDL_SetTextureScaleMode(texture,
                          scale == std::floor(scale) ? SDL_ScaleModeNearest : SDL_ScaleModeLinear);
  SetClip(clip);
  SDL_RenderCopy(renderer_, texture, nullptr, &dest);
}

SDL_Texture* Painter::Picture(const std::string& name, int& w, int& h, int boxW, int boxH) {
  auto it = pics_.find(name);
  if (it == pics_.end()) {
    Pic pic{nullptr, 0, 0};
    if (SDL_Surface* s = pictures_.Get(name, boxW, boxH)) {
      pic.texture = SDL_CreateTextureFromSurface(renderer_, s);
      pic.w = s->w;
      pic.h = s->h;
      if (pic.texture) {
        SDL_SetTextureBlendMode(pic.texture, SDL_BLENDMODE_BLEND);
      } else {
        std::cerr << "quendar: picture " << name << " cannot be drawn: " << SDL_GetError() << '\n';
      }
    }
    it = pics_.emplace(name, pic).first;
  }
  w = it->second.w;
  h = it->second.h;
  return it->second.texture;
}

const Painter::Text* Painter::RenderLine(std::string_view line, const Font& font, double scale) {
  const int px = FontPixels(font, scale);
  std::string key = font.family;
  key += '\0';
  key += std::to_string(px);
  key += font.bold ? 'b' : 'r';
  key += '\0';
  key += line;
  if (auto it = texts_.find(key); it != texts_.end()) {
    it->second.lastFrame = frame_;
    return &it->second;
  }
  TTF_Font* f = fonts_.Open(font.family, px, font.bold);
  const std::string text(line);
  // Rendered once in white and tinted when drawn, so one texture serves every colour.
  SDL_Surface* s = TTF_RenderUTF8_Blended(f, text.c_str(), SDL_Color{255, 255, 255, 255});
  if (!s) return nullptr;
  SDL_Texture* t = SDL_CreateTextureFromSurface(renderer_, s);
  const int w = s->w, h = s->h;
  SDL_FreeSurface(s);
  if (!t) return nullptr;
  SDL_SetTextureBlendMode(t, SDL_BLENDMODE_BLEND);
  return &texts_.emplace(std::move(key), Text{t, w, h, frame_}).first->second;
}

std::pair<int, int> Painter::MeasureText(std::string_view text, const Font& font, double scale) {
  const int height = TTF_FontHeight(fonts_.Open(font.family, FontPixels(font, scale), font.bold));
  const Text* t = text.empty() ? nullptr : RenderLine(text, font, scale);
  return {t ? t->w : 0, height};
}

void Painter::Blit(const Text& t, Color color, int x, int y, const PxRect& clip) {
  SDL_SetTextureColorMod(t.texture, (color >> 16) & 0xFF, (color >> 8) & 0xFF, color & 0xFF);
  SetClip(clip);
  const SDL_Rect dest{x, y, t.w, t.h};
  SDL_RenderCopy(renderer_, t.texture, nullptr, &dest);
}

void Painter::DrawText(std::string_view text, const Font& font, double scale, Color color, int x,
                       int y, const PxRect& clip) {
  if (text.empty() || clip.Empty()) return;
  if (const Text* t = RenderLine(text, font, scale)) Blit(*t, color, x, y, clip);
}

void Painter::EndFrame() {
  if (texts_.size() > kTextCacheSize) {
    for (auto it = texts_.begin(); it != texts_.end();) {
      if (it->second.lastFrame != frame_) {
        SDL_DestroyTexture(it->second.texture);
        it = texts_.erase(it);
      } else {
        ++it;
      }
    }
  }
  ++frame_;
  fonts_.Trim();
}

}  // namespace quendar
