// Owners of SDL, SDL_ttf and SDL_mixer handles: each is freed by its own function when
// its owner goes, on every path, including a constructor that throws half-way.
#pragma once

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <memory>

namespace quendar {

template <typename T, void (*Free)(T*)>
struct SdlDeleter {
  void operator()(T* p) const {
    if (p) Free(p);
  }
};

using WindowPtr = std::unique_ptr<SDL_Window, SdlDeleter<SDL_Window, SDL_DestroyWindow>>;
using RendererPtr = std::unique_ptr<SDL_Renderer, SdlDeleter<SDL_Renderer, SDL_DestroyRenderer>>;
using TexturePtr = std::unique_ptr<SDL_Texture, SdlDeleter<SDL_Texture, SDL_DestroyTexture>>;
using SurfacePtr = std::unique_ptr<SDL_Surface, SdlDeleter<SDL_Surface, SDL_FreeSurface>>;
using FontPtr = std::unique_ptr<TTF_Font, SdlDeleter<TTF_Font, TTF_CloseFont>>;
using ChunkPtr = std::unique_ptr<Mix_Chunk, SdlDeleter<Mix_Chunk, Mix_FreeChunk>>;

}  // namespace quendar
