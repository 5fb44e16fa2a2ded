#include "platform/pictures.h"

#include <SDL_image.h>

#include <filesystem>
#include <iostream>
#include <system_error>

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

PictureStore::~PictureStore() {
  for (auto& [name, s] : loaded_)
    SDL_FreeSurface(s);
}

SDL_Surface* PictureStore::Get(const std::string& name) {
  if (auto it = loaded_.find(name); it != loaded_.end()) return it->second;
  SDL_Surface* surface = nullptr;
  std::string path;
  for (const auto& d : dirs_) {
    std::error_code ec;
    const fs::path p = fs::path(d) / name;
    if (fs::is_regular_file(p, ec)) {
      path = p.string();
      break;
    }
  }
  if (path.empty()) {
    std::cerr << "quendar: picture " << name << " not found (looked in";
    for (const auto& d : dirs_)
      std::cerr << ' ' << d;
    std::cerr << "); showing the box's background colour instead\n";
  } else {
    surface = IMG_Load(path.c_str());
    if (!surface)
      std::cerr << "quendar: picture " << path << " cannot be read (" << IMG_GetError()
                << "); showing the box's background colour instead\n";
  }
  loaded_.emplace(name, surface);
  return surface;
}

}  // namespace quendar
