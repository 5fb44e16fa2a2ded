#include "elements/datafiles.h"

#include <filesystem>
#include <system_error>

namespace quendar {

namespace fs = std::filesystem;

DataFiles::DataFiles() : dirs_{{"", "the current directory"}} {}

DataFiles::DataFiles(std::vector<DataDir> dirs) : dirs_(std::move(dirs)) {}

void DataFiles::Assign(const std::string& name, const std::string& path, const std::string& why) {
  assigned_.push_back({name, path, why});
}

void DataFiles::Provide(const std::string& name, const std::string& label,
                        std::shared_ptr<const RawLines> lines) {
  provided_.push_back({name, label, std::move(lines)});
}

const RawLines* DataFiles::Provided(const std::string& name) const {
  for (const auto& p : provided_)
    if (p.name == name) return p.lines.get();
  return nullptr;
}

std::optional<std::string> DataFiles::Find(const std::string& name) const {
  for (const auto& p : provided_)
    if (p.name == name) return p.label;
  std::error_code ec;
  for (const auto& a : assigned_)
    if (a.name == name) {
      if (fs::exists(fs::symlink_status(a.path, ec))) return a.path;
      return std::nullopt;
    }
  for (const auto& d : dirs_) {
    const fs::path p = d.path.empty() ? fs::path(name) : fs::path(d.path) / name;
    // symlink_status, so that a dangling link is reported as what it is when opened.
    if (fs::exists(fs::symlink_status(p, ec))) return p.string();
  }
  return std::nullopt;
}

std::string DataFiles::NotFound(const std::string& name) const {
  for (const auto& a : assigned_)
    if (a.name == name)
      return a.path + ": file not found (" + a.why +
             "); name an existing file, or a shipped list: default, elementary or joyo";
  if (dirs_.size() == 1 && dirs_[0].path.empty())
    return name + ": file not found in the current directory";
  std::string text = name + ": file not found. Looked in, in this order:";
  int n = 0;
  for (const auto& d : dirs_) {
    text += "\n  " + std::to_string(++n) + ". " + d.label;
    std::error_code ec;
    if (d.path.empty())
      if (const fs::path cwd = fs::current_path(ec); !ec) text += " (" + cwd.string() + ")";
  }
  text += "\nPut a word list named " + name +
          " in one of them, or name a list to play: quendar LIST, or quendar default, "
          "elementary or joyo for a shipped one.";
  return text;
}

std::vector<DataDir> GameDataDirs(const char* xdgDataHome, const char* home,
                                  const std::string& installed) {
  std::vector<DataDir> dirs{{"", "the current directory"}};
  if (xdgDataHome && fs::path(xdgDataHome).is_absolute()) {
    const std::string p = (fs::path(xdgDataHome) / "quendar").string();
    dirs.push_back({p, p});
  } else if (home && *home) {
    const std::string p = (fs::path(home) / ".local/share/quendar").string();
    dirs.push_back({p, p});
  }
  if (!installed.empty()) dirs.push_back({installed, "the installed data directory " + installed});
  return dirs;
}

const char* ShippedListFile(const std::string& name) {
  for (const auto& s : kShippedLists)
    if (name == s.name) return s.file;
  return nullptr;
}

}  // namespace quendar
