#include "study/review_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>

#include "elements/textfile.h"

namespace quendar {

namespace {

std::string Folder(const std::string& path) {
  const std::string parent = std::filesystem::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

}  // namespace

std::optional<std::string> ReviewTargetProblem(const std::string& path) {
  if (path.empty()) return std::string("the review file has no name");
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode))
      return path + ": is " + DescribeFileType(st.st_mode) +
             ", not a file the review can be written to";
    return std::nullopt;
  }
  const std::string folder = Folder(path);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return path + ": the folder " + folder + " does not exist";
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return path + ": cannot write in the folder " + folder + ": " + std::strerror(errno);
  return std::nullopt;
}

std::optional<std::string> WriteReviewFile(const std::string& path, const std::string& text) {
  if (auto problem = ReviewTargetProblem(path)) return problem;
  // Through a link, the file it points to is replaced, not the link.
  std::error_code ec;
  std::string target = path;
  if (std::filesystem::is_symlink(path, ec)) {
    const auto resolved = std::filesystem::canonical(path, ec);
    if (!ec) target = resolved.string();
  }
  std::string tmp =
      Folder(target) + "/." + std::filesystem::path(target).filename().string() + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return "cannot write " + path + ": " + std::strerror(errno);
  tmp = name.data();
  const mode_t mask = umask(0);
  umask(mask);
  fchmod(fd, 0666 & ~mask);
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string why = n < 0 ? std::strerror(errno) : "nothing written";
      close(fd);
      unlink(tmp.c_str());
      return "cannot write " + path + ": " + why;
    }
    done += static_cast<std::size_t>(n);
  }
  const bool synced = fsync(fd) == 0;
  const int syncErrno = errno;
  if (close(fd) != 0 || !synced) {
    const std::string why = std::strerror(synced ? errno : syncErrno);
    unlink(tmp.c_str());
    return "cannot write " + path + ": " + why;
  }
  if (rename(tmp.c_str(), target.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    unlink(tmp.c_str());
    return "cannot write " + path + ": " + why;
  }
  return std::nullopt;
}

}  // namespace quendar
