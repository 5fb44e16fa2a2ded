#include "platform/data_dirs.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace quendar {

namespace fs = std::filesystem;

std::string InstalledDataDir() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const fs::path dir = (exe.parent_path() / QUENDAR_DATA_FROM_GAMES).lexically_normal();
  // Resolved, so that messages name the real place rather than the build tree's link; a
  // missing one is still named, so that the error says where the shipped lists belong.
  const fs::path real = fs::canonical(dir, ec);
  return ec ? dir.string() : real.string();
}

DataFiles GameDataFiles(const std::string& list) {
  const std::string installed = InstalledDataDir();
  DataFiles files(GameDataDirs(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"), installed));
  if (list.empty()) return files;
  if (const char* shipped = ShippedListFile(list)) {
    files.Assign("jyukugo.dat", (fs::path(installed) / shipped).string(),
                 "the shipped list " + list);
  } else {
    files.Assign("jyukugo.dat", list, "named on the command line");
  }
  return files;
}

}  // namespace quendar
