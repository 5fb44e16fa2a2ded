#include "study/history_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "elements/datafiles.h"
#include "elements/textfile.h"
#include "study/history.h"

namespace quendar {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

std::string Why(const std::string& path, const std::string& what) {
  const int err = errno;
  return path + ": " + what + ": " + std::strerror(err);
}

// Opens without blocking (a pipe would wait for a writer or reader) and keeps only
// regular files.
std::optional<std::string> OpenRegular(const std::string& path, int flags, int& fd,
                                       bool* missing = nullptr) {
  fd = open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    if (missing) *missing = errno == ENOENT;
    if (errno == EISDIR) return path + ": is a directory, not a history file";
    return Why(path, "cannot be opened");
  }
  struct stat st {};
  if (fstat(fd, &st) != 0) return Why(path, "cannot be examined");
  if (!S_ISREG(st.st_mode))
    return path + ": is " + DescribeFileType(st.st_mode) + ", not a history file";
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return std::nullopt;
}

// Another game may be appending; it holds the lock for one write. A lock that stays held
// for seconds belongs to something stuck, and waiting on it must not hang the game.
bool Lock(int fd) {
  for (int tries = 0; tries < 1000; ++tries) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    const timespec pause{0, 5'000'000};
    nanosleep(&pause, nullptr);
  }
  errno = EWOULDBLOCK;
  return false;
}

}  // namespace

std::string DefaultHistoryPath(const char* xdgDataHome, const char* home) {
  const auto dirs = GameDataDirs(xdgDataHome, home, "");
  return dirs.size() < 2 ? "" : dirs[1].path + "/history.tsv";
}

std::optional<std::string> ReadHistoryFile(const std::string& path, std::string& text) {
  text.clear();
  int raw = -1;
  bool missing = false;
  auto problem = OpenRegular(path, O_RDONLY, raw, &missing);
  Fd fd(raw);
  if (missing) return std::nullopt;
  if (problem) return problem;
  struct stat st {};
  fstat(fd.get(), &st);
  if (static_cast<std::uint64_t>(st.st_size) > kMaxHistoryBytes)
    return path + ": is " + std::to_string(st.st_size >> 20) +
           " MiB, far too large for a history (at most " + std::to_string(kMaxHistoryBytes >> 20) +
           " MiB)";
  text.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = read(fd.get(), text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Why(path, "cannot be read");
    if (n == 0) break;  // it shrank while being read
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return std::nullopt;
}

std::optional<std::string> LoadHistory(const std::string& path, History& history,
                                       std::optional<std::string>& warning) {
  std::string text;
  if (auto problem = ReadHistoryFile(path, text)) return problem;
  history = ParseHistory(text);
  warning = BadLinesMessage(history, path);
  return std::nullopt;
}

std::optional<std::string> AppendHistoryFile(const std::string& path, const std::string& lines,
                                             bool makeFolder) {
  if (lines.empty()) return std::nullopt;
  if (makeFolder) {
    std::error_code ec;
    const auto folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, ec);
  }
  int raw = -1;
  const auto problem = OpenRegular(path, O_RDWR | O_APPEND | O_CREAT, raw);
  Fd fd(raw);
  if (problem) return problem;
  if (!Lock(fd.get())) return Why(path, "cannot be locked");
  // Under the lock the size is what every other writer left.
  struct stat st {};
  if (fstat(fd.get(), &st) != 0) return Why(path, "cannot be examined");
  const off_t before = st.st_size;
  std::string block;
  block.reserve(kHistoryHeader.size() + 1 + lines.size());
  if (before == 0) {
    block.append(kHistoryHeader);
    block.push_back('\n');
  } else {
    char last = '\n';
    if (pread(fd.get(), &last, 1, before - 1) == 1 && last != '\n') block.push_back('\n');
  }
  block.append(lines);
  std::size_t done = 0;
  while (done < block.size()) {
    const ssize_t n = write(fd.get(), block.data() + done, block.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      const std::string why = Why(path, "cannot be written");
      if (ftruncate(fd.get(), before) != 0) return why + " (and cannot be cut back)";
      return why;
    }
    done += static_cast<std::size_t>(n);
  }
  // The data and the new size reach the disk; the time stamps may follow later.
  if (fdatasync(fd.get()) != 0) {
    const std::string why = Why(path, "cannot be synced");
    if (ftruncate(fd.get(), before) != 0) return why + " (and cannot be cut back)";
    return why;
  }
  return std::nullopt;
}

}  // namespace quendar
