#include "platform/pictures.h"

#include <SDL_image.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "elements/textfile.h"

namespace quendar {

namespace fs = std::filesystem;

std::vector<std::string> DefaultPictureDirs() {
  std::vector<std::string> dirs;
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec) dirs.push_back((exe.parent_path() / QUENDAR_INSTALLED_PICTURES).lexically_normal());
  dirs.push_back(QUENDAR_SOURCE_PICTURES);
  return dirs;
}

PictureStore::PictureStore(std::vector<std::string> dirs) : dirs_(std::move(dirs)) {}

PictureStore::~PictureStore() = default;

namespace {

// Why a picture file cannot be shown, from its type and PNG header alone, or "".
std::string HeaderProblem(const std::string& path, int boxWidth, int boxHeight) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::string("cannot be opened: ") + std::strerror(errno);
  struct stat st {};
  unsigned char h[24] = {};
  ssize_t got = -1;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) got = ::read(fd, h, sizeof h);
  ::close(fd);
  if (!S_ISREG(st.st_mode)) return "is " + DescribeFileType(st.st_mode) + ", not a picture";
  static const unsigned char kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (got != sizeof h || std::memcmp(h, kSignature, 8) != 0 || std::memcmp(h + 12, "IHDR", 4) != 0)
    return "is not a PNG picture";
  auto be32 = [&](int at) {
    return (std::uint32_t{h[at]} << 24) | (std::uint32_t{h[at + 1]} << 16) |
           (std::uint32_t{h[at + 2]} << 8) | std::uint32_t{h[at + 3]};
  };
  const std::uint32_t w = be32(16), hgt = be32(20);
  const std::string size = std::to_string(w) + " x " + std::to_string(hgt) + " pixels";
  const auto side = static_cast<std::uint32_t>(PictureStore::kMaxSide);
  if (w == 0 || hgt == 0) return "is " + size;
  if (w > side || hgt > side)
    return "is " + size + ", more than " + std::to_string(side) + " x " + std::to_string(side);
  const auto times = static_cast<std::uint32_t>(PictureStore::kMaxTimesBox);
  if (boxWidth > 0 && boxHeight > 0 &&
      (w > times * static_cast<std::uint32_t>(boxWidth) ||
       hgt > times * static_cast<std::uint32_t>(boxHeight)))
    return "is " + size + ", far larger than its box of " + std::to_string(boxWidth) + " x " +
           std::to_string(boxHeight);
  return "";
}

}  // namespace

SurfacePtr PictureStore::Load(const std::string& name, int boxWidth, int boxHeight) {
  std::string path;
  for (const auto& d : dirs_) {
    std::error_code ec;
    const fs::path p = fs::path(d) / name;
    if (fs::exists(p, ec)) {
      path = p.string();
      break;
    }
  }
  if (path.empty()) {
    std::cerr << "quendar: picture " << name << " not found (looked in";
    for (const auto& d : dirs_)
      std::cerr << ' ' << d;
    std::cerr << "); showing the box's background colour instead\n";
    return nullptr;
  }
  if (const std::string problem = HeaderProblem(path, boxWidth, boxHeight); !problem.empty()) {
    std::cerr << "quendar: picture " << path << " " << problem
              << "; showing the box's background colour instead\n";
    return nullptr;
  }
  SurfacePtr surface(IMG_Load(path.c_str()));
  if (!surface)
    std::cerr << "quendar: picture " << path << " cannot be read (" << IMG_GetError()
              << "); showing the box's background colour instead\n";
  return surface;
}

SDL_Surface* PictureStore::Get(const std::string& name, int boxWidth, int boxHeight) {
  if (auto it = loaded_.find(name); it != loaded_.end()) return it->second.get();
  return loaded_.emplace(name, Load(name, boxWidth, boxHeight)).first->second.get();
}

SDL_Surface* PictureStore::Icon(const std::string& name) {
  if (auto it = icons_.find(name); it != icons_.end()) return it->second.get();
  SurfacePtr icon = Load(name, 0, 0);
  if (icon && (icon->w > kMaxIconSide || icon->h > kMaxIconSide)) {
    const double f = static_cast<double>(kMaxIconSide) / std::max(icon->w, icon->h);
    const int w = std::max(1, static_cast<int>(icon->w * f));
    const int h = std::max(1, static_cast<int>(icon->h * f));
    SurfacePtr rgba(SDL_ConvertSurfaceFormat(icon.get(), SDL_PIXELFORMAT_ARGB8888, 0));
    SurfacePtr small(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888));
    if (rgba && small) {
      SDL_SetSurfaceBlendMode(rgba.get(), SDL_BLENDMODE_NONE);
      SDL_Rect dest{0, 0, w, h};
      if (SDL_BlitScaled(rgba.get(), nullptr, small.get(), &dest) != 0) small.reset();
    }
    icon = std::move(small);
  }
  return icons_.emplace(name, std::move(icon)).first->second.get();
}

}  // namespace quendar
