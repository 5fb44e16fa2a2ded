#include "platform/offscreen.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "elements/textfile.h"

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
  // Encoded in memory first and written with every write checked, since the image
  // library reports success on a full disk and leaves a truncated file behind.
  std::vector<unsigned char> png;
  SDL_RWops* rw = SDL_AllocRW();
  if (!rw) return "cannot write " + file + ": " + SDL_GetError();
  rw->hidden.unknown.data1 = &png;
  rw->write = [](SDL_RWops* ctx, const void* p, size_t size, size_t n) -> size_t {
    auto& out = *static_cast<std::vector<unsigned char>*>(ctx->hidden.unknown.data1);
    const auto* bytes = static_cast<const unsigned char*>(p);
    out.insert(out.end(), bytes, bytes + size * n);
    return n;
  };
  rw->close = [](SDL_RWops* ctx) -> int {
    SDL_FreeRW(ctx);
    return 0;
  };
  if (IMG_SavePNG_RW(surface, rw, 1) != 0) return "cannot encode " + file + ": " + IMG_GetError();

  // Only into a regular file, opened without blocking: a named pipe with no reader would
  // hold the driver in open() for good, and one with a reader is no picture file either.
  const auto notRegular = [&](unsigned mode) {
    return "cannot write " + file + ": it is " + DescribeFileType(mode) + ", not a picture file";
  };
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return notRegular(st.st_mode);
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
  if (fd < 0) return "cannot write " + file + ": " + std::strerror(errno);
  std::string problem;
  if (::fstat(fd, &st) != 0)
    problem = "cannot write " + file + ": " + std::strerror(errno);
  else if (!S_ISREG(st.st_mode))
    problem = notRegular(st.st_mode);
  else if (::ftruncate(fd, 0) != 0)
    problem = "cannot write " + file + ": " + std::strerror(errno);
  if (!problem.empty()) {
    ::close(fd);
    return problem;
  }
  std::size_t done = 0;
  while (done < png.size()) {
    const ssize_t n = ::write(fd, png.data() + done, png.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string why = n < 0 ? std::strerror(errno) : "nothing written";
      ::close(fd);
      return "cannot write " + file + ": " + why;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::close(fd) != 0) return "cannot write " + file + ": " + std::strerror(errno);
  return std::nullopt;
}

}  // namespace quendar
