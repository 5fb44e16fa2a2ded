#include "study/voice.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <iostream>

#include "elements/text.h"

namespace quendar {

namespace {

constexpr std::uint64_t kMaxIndexBytes = 4 << 20;

bool Number(std::string_view s, std::uint64_t& v) {
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

// Opens a regular file for reading without ever blocking on a pipe or device; -1 with the
// reason in `problem` otherwise.
int OpenRegular(const std::string& path, struct stat& st, std::string& problem) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    problem =
        errno == ENOENT ? "is missing" : std::string("cannot be read: ") + std::strerror(errno);
    return -1;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    problem = "is not a regular file";
    ::close(fd);
    return -1;
  }
  return fd;
}

// Reads `length` bytes at `offset`; false when the file ends first.
bool ReadAt(int fd, std::uint64_t offset, std::vector<unsigned char>& bytes) {
  std::size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n =
        ::pread(fd, bytes.data() + got, bytes.size() - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

VoiceIndex ParseVoiceIndex(std::string_view text, std::uint64_t packSize) {
  VoiceIndex index;
  int bad = 0;
  ForEachLine(text, [&](std::size_t lineNo, std::string_view line) {
    if (line.empty()) return;
    std::vector<std::string_view> f;
    for (std::size_t at = 0;;) {
      const std::size_t tab = line.find('\t', at);
      f.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
      if (tab == std::string_view::npos) break;
      at = tab + 1;
    }
    VoiceClip c;
    if (f.size() == 4 && !f[0].empty() && Number(f[2], c.offset) && Number(f[3], c.length) &&
        c.length > 0 && c.length <= Voice::kMaxClipBytes && c.offset <= packSize &&
        c.length <= packSize - c.offset) {
      index.clips[std::string(f[0])] = c;
      return;
    }
    if (bad++ == 0) index.problem = "line " + std::to_string(lineNo);
  });
  if (bad)
    index.problem = std::to_string(bad) + (bad == 1 ? " line is" : " lines are") +
                    " not a recording inside the pack (the first: " + index.problem +
                    "); those compounds are silent";
  return index;
}

Voice::Voice(std::string dir, VoiceOutput& out, bool on)
    : dir_(std::move(dir)), out_(out), on_(on) {}

void Voice::Warn(const std::string& line) {
  if (warned_.insert(line).second) std::cerr << "quendar: " << line << std::endl;
}

bool Voice::LoadIndex() {
  if (loaded_) return !index_.clips.empty();
  loaded_ = true;
  if (dir_.empty()) return false;
  const std::string tsv = dir_ + "/readings.tsv", pack = dir_ + "/readings.opus";
  std::string problem;
  struct stat packStat {
  }, st{};
  const int packFd = OpenRegular(pack, packStat, problem);
  if (packFd < 0) {
    Warn(pack + ": " + problem + "; the readings are not spoken");
    return false;
  }
  ::close(packFd);
  const int fd = OpenRegular(tsv, st, problem);
  if (fd >= 0 && static_cast<std::uint64_t>(st.st_size) > kMaxIndexBytes) {
    problem = "is too large for an index of recordings";
    ::close(fd);
  } else if (fd >= 0) {
    std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
    const bool whole = ReadAt(fd, 0, bytes);
    ::close(fd);
    if (!whole) {
      problem = "cannot be read whole";
    } else {
      index_ = ParseVoiceIndex(
          std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()),
          static_cast<std::uint64_t>(packStat.st_size));
      if (!index_.problem.empty()) Warn(tsv + ": " + index_.problem);
      return !index_.clips.empty();
    }
  }
  Warn(tsv + ": " + problem + "; the readings are not spoken");
  return false;
}

std::optional<std::vector<unsigned char>> Voice::ReadClip(const VoiceClip& clip,
                                                          std::string& problem) {
  struct stat st {};
  const int fd = OpenRegular(dir_ + "/readings.opus", st, problem);
  if (fd < 0) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(clip.length));
  const bool whole = ReadAt(fd, clip.offset, bytes);
  ::close(fd);
  if (!whole) {
    problem = "ends before the recording (cut short?)";
    return std::nullopt;
  }
  return bytes;
}

void Voice::Request(const std::string& compound, std::int64_t nowMs) {
  if (!on_) return;
  pending_ = compound;
  askedAt_ = nowMs;
}

void Voice::Poll(std::int64_t nowMs) {
  if (pending_.empty()) return;
  if (nowMs - askedAt_ > kMaxWaitMs) pending_.clear();
  if (pending_.empty() || out_.GameSoundPlaying()) return;
  const std::string compound = std::move(pending_);
  pending_.clear();
  if (!LoadIndex()) return;
  const auto it = index_.clips.find(compound);
  if (it == index_.clips.end()) return;  // a list of one's own: no recording, no word said
  std::string problem;
  const auto bytes = ReadClip(it->second, problem);
  if (!bytes) {
    Warn(dir_ + "/readings.opus: " + problem + "; " + compound + " is silent");
    return;
  }
  // A new reading replaces the one sounding (a click while it speaks).
  out_.Stop();
  if (auto why = out_.Speak(*bytes, compound))
    Warn(dir_ + "/readings.opus: the recording of " + compound + " " + *why);
}

void Voice::Toggle() {
  on_ = !on_;
  if (on_) return;
  pending_.clear();
  out_.Stop();
}

}  // namespace quendar
