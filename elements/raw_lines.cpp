// Reading a word list's bytes into lines: both readings at once, Shift-JIS and UTF-8, and
// the census that chooses between them.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>

#include "elements/encoding.h"
#include "elements/runtime.h"
#include "elements/textfile.h"

namespace quendar {

namespace {

struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

[[noreturn]] void Fail(const std::string& path, const std::string& problem) {
  throw FatalError(path + ": " + problem);
}

[[noreturn]] void FailNotRegular(const std::string& path, mode_t mode) {
  Fail(path, "is " + DescribeFileType(mode) + ", not a word list file");
}

// Collects the lines of one reading as the bytes stream past, keeping at most `maxLines`
// lines of at most `maxBytes` bytes each. A line ends at CR, CR LF, and, when `lfEnds`,
// at a lone LF.
class Splitter {
 public:
  Splitter(bool lfEnds, std::size_t maxLines, std::size_t maxBytes)
      : lfEnds_(lfEnds), maxLines_(maxLines), maxBytes_(maxBytes) {}

  // Called with each finished line, its 1-based number and whether it was cut at the cap.
  std::function<void(const std::string&, std::size_t, bool)> onLine;

  bool done() const { return count_ >= maxLines_; }
  std::vector<std::string> lines;
  bool store = true;  // false once nobody wants the lines kept
  std::size_t crlf = 0, cr = 0, lf = 0;

  void Feed(const char* p, const char* end) {
    nextCr_ = nextLf_ = nullptr;
    if (afterCr_ && p < end) {
      afterCr_ = false;
      if (*p == '\n') {
        ++crlf;
        ++p;
      } else {
        ++cr;
      }
    }
    while (p < end && !done()) {
      const char* stop = FindEnd(p, end);
      Append(p, stop);
      if (stop == end) return;
      const bool isCr = *stop == '\r';
      EndLine();
      p = stop + 1;
      if (!isCr) {
        ++lf;
      } else if (p == end) {
        afterCr_ = true;
      } else if (*p == '\n') {
        ++crlf;
        ++p;
      } else {
        ++cr;
      }
    }
  }

  void Finish() {
    if (afterCr_) ++cr;
    afterCr_ = false;
    if (inLine_ && !done()) EndLine();
  }

 private:
  const char* FindEnd(const char* p, const char* end) {
    auto find = [&](const char*& cached, char c) {
      if (!cached || cached < p)
        if (!(cached =
                  static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p)))))
          cached = end;
      return cached;
    };
    const char* cr = find(nextCr_, '\r');
    if (!lfEnds_) return cr;
    return std::min(cr, find(nextLf_, '\n'));
  }

  void Append(const char* p, const char* stop) {
    if (p == stop) return;
    inLine_ = true;
    const auto n = static_cast<std::size_t>(stop - p);
    // Where LF ends no line, the LFs inside lines are still counted: a list's line ends
    // are reported for exactly the lines that were read.
    if (!lfEnds_) lf += static_cast<std::size_t>(std::count(p, stop, '\n'));
    const std::size_t room = maxBytes_ > line_.size() ? maxBytes_ - line_.size() : 0;
    if (n > room) cut_ = true;
    line_.append(p, std::min(n, room));
  }

  void EndLine() {
    ++count_;
    if (onLine) onLine(line_, count_, cut_);
    if (store) lines.push_back(std::move(line_));
    line_.clear();
    inLine_ = false;
    cut_ = false;
  }

  bool lfEnds_;
  std::size_t maxLines_, maxBytes_;
  std::size_t count_ = 0;
  std::string line_;
  bool inLine_ = false, cut_ = false, afterCr_ = false;
  const char* nextCr_ = nullptr;  // where the next CR and LF of the current buffer are
  const char* nextLf_ = nullptr;
};

}  // namespace

std::string DescribeFileType(unsigned mode) {
  if (S_ISDIR(mode)) return "a directory";
  if (S_ISFIFO(mode)) return "a named pipe";
  if (S_ISCHR(mode)) return "a character device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "a special file";
}

// The reader's state between the pieces of a file: both readings of its lines, and the
// census that chooses between them.
struct RawLinesReader::State {
  State(std::size_t maxLines, std::size_t maxBytes)
      : sjis(false, maxLines, maxBytes), utf8(true, maxLines, maxBytes) {
    utf8.onLine = [this](const std::string& line, std::size_t lineNo, bool cut) {
      census.Scan(line, lineNo, cut);
      // A list with a bad byte is not read as UTF-8: its lines need not be kept.
      if (census.badBytes > 0 && !bom) {
        utf8.store = false;
        utf8.lines.clear();
      }
    };
  }
  Splitter sjis, utf8;
  Utf8Census census;
  bool bom = false;
  std::uint64_t total = 0;
};

RawLinesReader::RawLinesReader(std::string path, std::size_t maxLines, std::size_t maxBytesPerLine,
                               std::uint64_t size)
    : path_(std::move(path)),
      maxLines_(maxLines),
      budget_(static_cast<std::uint64_t>(maxLines) * kMaxBytesPerLine),
      s_(std::make_unique<State>(maxLines, maxBytesPerLine)) {
  // Refused from its size alone, rather than after gigabytes read to find its lines.
  if (size > budget_)
    Fail(path_, "is " + std::to_string(size >> 20) +
                    " MiB, far too large for a word list (at most " +
                    std::to_string(budget_ >> 20) + " MiB)");
}

RawLinesReader::~RawLinesReader() = default;

bool RawLinesReader::WantsMore() const {
  const bool utf8Wanted = s_->utf8.store && !s_->utf8.done();
  const bool sjisWanted = !s_->bom && !s_->sjis.done();
  return utf8Wanted || sjisWanted;
}

void RawLinesReader::Feed(const char* p, std::size_t n) {
  if (n == 0 || !WantsMore()) return;
  State& s = *s_;
  const bool sjisWanted = !s.bom && !s.sjis.done();
  if (s.total == 0 && n >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) s.bom = true;
  s.total += n;
  if (s.total > budget_)  // a file that grows while it is read
    Fail(path_, "has more than " + std::to_string(budget_ >> 20) + " MiB without " +
                    std::to_string(maxLines_) + " lines ending; far too large for a word list");
  if (!s.utf8.done()) s.utf8.Feed(p, p + n);
  if (sjisWanted) s.sjis.Feed(p, p + n);
}

RawLines RawLinesReader::Finish() {
  State& s = *s_;
  Splitter& utf8 = s.utf8;
  Splitter& sjis = s.sjis;
  const Utf8Census& census = s.census;
  const bool bom = s.bom;
  utf8.Finish();
  sjis.Finish();

  RawLines out;
  out.firstNonUtf8 = census.firstBad;
  // "Most" of the file: nine in ten of its non-ASCII characters.
  out.mostlyUtf8 = census.goodSequences > 9 * census.badBytes;

  bool asUtf8 = false;
  if (bom) {
    asUtf8 = true;
    out.why = "it starts with a UTF-8 byte-order mark";
  } else if (census.badBytes > 0) {
    out.why = "it is not valid UTF-8";
  } else if (!census.nonAscii) {
    out.why = "plain ASCII reads the same either way";
  } else {
    const long u = JapaneseScore(utf8.lines, TextEncoding::Utf8);
    const long sc = JapaneseScore(sjis.lines, TextEncoding::ShiftJis);
    asUtf8 = u > sc && u > 0;
    const std::string scores = " (" + std::to_string(asUtf8 ? u : sc) + " against " +
                               std::to_string(asUtf8 ? sc : u) + ")";
    out.why = asUtf8 ? "valid UTF-8 that reads as more kanji and kana than as Shift-JIS" + scores
                     : "valid UTF-8, but it reads as more kanji and kana as Shift-JIS" + scores;
  }
  const Splitter& read = asUtf8 ? utf8 : sjis;
  out.crlfEnds = read.crlf;
  out.crEnds = read.cr;
  out.lfEnds = read.lf;
  if (asUtf8) {
    out.encoding = TextEncoding::Utf8;
    out.lines = std::move(utf8.lines);
    if (bom && !out.lines.empty()) {
      out.lines[0].erase(0, 3);
      out.hadBom = true;
    }
  } else {
    out.lines = std::move(sjis.lines);
  }
  return out;
}

RawLines ReadRawLines(const std::string& path, std::size_t maxLines, std::size_t maxBytesPerLine) {
  Fd file;
  // Without blocking, so a named pipe with no writer cannot hold the game in open().
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  struct stat st {};
  if (file.fd < 0) {
    const int err = errno;
    if (err == ENOENT) {
      if (!path.empty() && path.front() == '/') Fail(path, "file not found");
      std::error_code ec;
      const auto tried = std::filesystem::absolute(path, ec);
      Fail(path, "file not found in the current directory" +
                     (ec ? std::string() : " (looked for " + tried.string() + ")"));
    }
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) FailNotRegular(path, st.st_mode);
    Fail(path, std::string("cannot be opened: ") + std::strerror(err));
  }
  if (::fstat(file.fd, &st) != 0)
    Fail(path, std::string("cannot be read: ") + std::strerror(errno));
  if (!S_ISREG(st.st_mode)) FailNotRegular(path, st.st_mode);
  ::fcntl(file.fd, F_SETFL, ::fcntl(file.fd, F_GETFL) & ~O_NONBLOCK);
  RawLinesReader reader(path, maxLines, maxBytesPerLine, static_cast<std::uint64_t>(st.st_size));

  constexpr std::size_t kBuffer = 1 << 20;
  std::unique_ptr<char[]> buf(new char[kBuffer]);
  while (reader.WantsMore()) {
    const ssize_t got = ::read(file.fd, buf.get(), kBuffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(path, std::string("cannot be read: ") + std::strerror(errno));
    }
    if (got == 0) break;
    reader.Feed(buf.get(), static_cast<std::size_t>(got));
  }
  return reader.Finish();
}

}  // namespace quendar
