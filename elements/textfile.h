// Sequential input of a text file, line by line, as the game reads its word list: a line
// ends at CR or CR LF (a lone LF is an ordinary character), and the bytes are decoded
// from Shift-JIS (code page 932), so that a kanji is one character. A file that is valid
// UTF-8 throughout and not plain ASCII is read as UTF-8, since lists written on today's
// desktops are.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace quendar {

enum class TextEncoding { ShiftJis, Utf8 };

struct RawLines {
  std::vector<std::string> lines;  // bytes, terminators removed, each cut at a cap
  TextEncoding encoding = TextEncoding::ShiftJis;
  bool hadBom = false;
};

// Reads at most `maxLines` lines of `path` without reading further into the file, keeping
// at most `maxBytesPerLine` bytes of each. Throws FatalError naming the file when it is
// missing, a directory or unreadable.
RawLines ReadRawLines(const std::string& path, std::size_t maxLines, std::size_t maxBytesPerLine);

// Decodes one line to UTF-8. Bytes that do not decode become U+FFFD; `invalid`, when
// given, is set when that happened.
std::string DecodeLine(const std::string& raw, TextEncoding encoding, bool* invalid = nullptr);

// The file service the game uses: open, end-of-file test, read one line, close.
class TextFile {
 public:
  // A stored line keeps at most this many characters, so one enormous line cannot
  // exhaust memory.
  static constexpr std::size_t kMaxChars = 4096;

  // Reads no more than `maxLines` lines ahead; a caller that wants to know whether a file
  // is longer than n lines opens it with n + 1.
  void Open(const std::string& path, std::size_t maxLines);
  bool Eof() const { return next_ >= raw_.lines.size(); }
  std::string LineInput();
  void Close();
  TextEncoding encoding() const { return raw_.encoding; }

 private:
  RawLines raw_;
  std::size_t next_ = 0;
};

}  // namespace quendar
