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

namespace fs = std::filesystem;

std::string Folder(const std::string& path) {
  const std::string parent = fs::path(path).parent_path().string();
  return parent.empty() ? "." : parent;
}

// The file a write to `path` replaces: through a link, the file it points to.
std::string Target(const std::string& path) {
  std::error_code ec;
  if (!fs::is_symlink(path, ec)) return path;
  const auto resolved = fs::canonical(path, ec);
  return ec ? path : resolved.string();
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa {
  }, sb{};
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code ea, eb;
  const fs::path ra = fs::weakly_canonical(a, ea), rb = fs::weakly_canonical(b, eb);
  return !ea && !eb && ra == rb;
}

// Proves that the temporary file of a write can be made in `folder`: a folder on a
// read-only file system, or one the player may not write in, fails here and not at the end.
std::optional<std::string> TryTemporaryFile(const std::string& path, const std::string& folder) {
  std::string probe = folder + "/.quendar-review.XXXXXX";
  std::vector<char> name(probe.begin(), probe.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0)
    return path + ": cannot create a file in the folder " + folder +
           " (the review is written there and renamed over " + path + "): " + std::strerror(errno);
  close(fd);
  unlink(name.data());
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReviewTargetProblem(const std::string& path,
                                               const std::vector<ReadFile>& read) {
  if (path.empty()) return std::string("the review file has no name");
  for (const ReadFile& r : read)
    if (SameFile(path, r.path))
      return path + ": is " + r.what + " (" + r.path +
             "); the review would replace it, so name another file";
  struct stat st {};
  if (stat(path.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode))
      return path + ": is " + DescribeFileType(st.st_mode) +
             ", not a file the review can be written to";
    return TryTemporaryFile(path, Folder(Target(path)));
  }
  const std::string folder = Folder(path);
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return path + ": the folder " + folder + " does not exist";
  return TryTemporaryFile(path, folder);
}

std::optional<std::string> WriteReviewFile(const std::string& path, const std::string& text) {
  if (auto problem = ReviewTargetProblem(path)) return problem;
  // Through a link, the file it points to is replaced, not the link.
  const std::string target = Target(path);
  std::string tmp = Folder(target) + "/." + fs::path(target).filename().string() + ".XXXXXX";
  std::vector<char> name(tmp.begin(), tmp.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0) return "cannot write " + path + ": " + std::strerror(errno);
  tmp = name.data();
  // A file there already keeps its mode (a private 0600 review stays private) and, where
  // we may, its owner; a new one gets what the umask allows.
  struct stat old {};
  if (stat(target.c_str(), &old) == 0) {
    fchmod(fd, old.st_mode & 07777);
    if (fchown(fd, old.st_uid, old.st_gid) != 0) {
      // Not ours to give away: the file becomes the player's, as an editor's save does.
    }
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
  }
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
