#include "elements/textfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "elements/runtime.h"
#include "elements/shiftjis.h"
#include "elements/text.h"

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

}  // namespace

RawLines ReadRawLines(const std::string& path, std::size_t maxLines, std::size_t maxBytesPerLine) {
  Fd file;
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (file.fd < 0) {
    if (errno == ENOENT) Fail(path, "file not found in the current directory");
    Fail(path, std::string("cannot be opened: ") + std::strerror(errno));
  }
  struct stat st {};
  if (::fstat(file.fd, &st) == 0 && S_ISDIR(st.st_mode))
    Fail(path, "is a directory, not a word list file");

  RawLines out;
  Utf8Validator utf8;
  std::string line;
  bool inLine = false;   // bytes seen since the last terminator
  bool afterCr = false;  // the previous buffer ended with a CR
  std::unique_ptr<char[]> buf(new char[1 << 16]);
  while (out.lines.size() < maxLines) {
    const ssize_t got = ::read(file.fd, buf.get(), 1 << 16);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(path, std::string("cannot be read: ") + std::strerror(errno));
    }
    if (got == 0) break;
    const char* p = buf.get();
    const char* end = p + got;
    // The LF of a CR LF may start the next buffer.
    if (afterCr && *p == '\n') ++p;
    afterCr = false;
    while (p < end && out.lines.size() < maxLines) {
      const char* cr =
          static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(end - p)));
      const char* stop = cr ? cr : end;
      const std::string_view piece(p, static_cast<std::size_t>(stop - p));
      utf8.Feed(piece);
      if (!piece.empty()) inLine = true;
      if (line.size() < maxBytesPerLine)
        line.append(piece.substr(0, maxBytesPerLine - line.size()));
      if (!cr) break;
      utf8.Feed("\r");
      out.lines.push_back(std::move(line));
      line.clear();
      inLine = false;
      p = cr + 1;
      if (p == end) {
        afterCr = true;
      } else if (*p == '\n') {
        utf8.Feed("\n");
        ++p;
      }
    }
  }
  if (inLine && out.lines.size() < maxLines) out.lines.push_back(std::move(line));

  if (utf8.Valid() && utf8.SawNonAscii()) {
    out.encoding = TextEncoding::Utf8;
    if (!out.lines.empty() && out.lines[0].rfind("\xEF\xBB\xBF", 0) == 0) {
      out.lines[0].erase(0, 3);
      out.hadBom = true;
    }
  }
  return out;
}

std::string DecodeLine(const std::string& raw, TextEncoding encoding, bool* invalid) {
  if (invalid) *invalid = false;
  if (encoding == TextEncoding::Utf8) {
    if (IsValidUtf8(raw)) return raw;
    // Only a line cut at the byte cap can get here: keep its valid head.
    std::string out;
    Utf8Validator v;
    std::size_t good = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
      v.Feed(std::string_view(&raw[i], 1));
      if (!v.Valid() && v.SawNonAscii()) continue;
      good = i + 1;
    }
    return raw.substr(0, good);
  }

  bool bad = false;
  return ShiftJisToUtf8(raw, invalid ? invalid : &bad);
}

void TextFile::Open(const std::string& path, std::size_t maxLines) {
  // Four bytes per character covers the longest character of either encoding.
  raw_ = ReadRawLines(path, maxLines, kMaxChars * 4);
  next_ = 0;
}

std::string TextFile::LineInput() {
  if (Eof()) return "";
  return FirstChars(DecodeLine(raw_.lines[next_++], raw_.encoding), kMaxChars);
}

void TextFile::Close() {
  raw_ = RawLines{};
  next_ = 0;
}

}  // namespace quendar
