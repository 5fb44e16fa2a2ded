// Sequential input of a text file, line by line, as the game reads its word list. A list
// is Shift-JIS (code page 932) unless it is certainly UTF-8: it starts with a byte-order
// mark, or it is valid UTF-8 that reads as clearly more kanji and kana than the Shift-JIS
// reading does. A Shift-JIS line ends at CR or CR LF (a lone LF is an ordinary character);
// in a UTF-8 list a lone LF ends a line too, as editors on Linux and macOS write them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quendar {

enum class TextEncoding { ShiftJis, Utf8 };

struct RawLines {
  std::vector<std::string> lines;  // bytes, terminators removed, each cut at a cap
  TextEncoding encoding = TextEncoding::ShiftJis;
  bool hadBom = false;
  std::string why;  // why the encoding was chosen, in a few words

  // Line ends in the lines that were read, as the chosen encoding splits them (a lone LF
  // inside a Shift-JIS line counts as an LF end that ends nothing).
  std::size_t crlfEnds = 0, crEnds = 0, lfEnds = 0;  // lfEnds: LF not after a CR

  // The first byte that is not UTF-8, 1-based, lines counted as a UTF-8 list counts
  // them; and whether most of the non-ASCII text around it is UTF-8, so a list meant as
  // UTF-8 and spoilt by a stray byte can be told from a real Shift-JIS list.
  struct Position {
    std::size_t line = 0, column = 0;
  };
  std::optional<Position> firstNonUtf8;
  bool mostlyUtf8 = false;
};

// Reads at most `maxLines` lines of `path` without reading further into the file, keeping
// at most `maxBytesPerLine` bytes of each. Throws FatalError naming the file when it is
// missing, a directory or anything else that is not a regular file, unreadable, or so
// large (more than kMaxBytesPerLine bytes per line asked for) that it cannot be a list.
RawLines ReadRawLines(const std::string& path, std::size_t maxLines, std::size_t maxBytesPerLine);

// The reader of ReadRawLines on bytes handed to it piece by piece, for a file that is not
// on a file system: the page streams a player's file through it, so it reads exactly what
// the desktop reads while holding no more of the file than the lines it keeps.
class RawLinesReader {
 public:
  // Throws FatalError naming `path` when `size` is over the byte budget.
  RawLinesReader(std::string path, std::size_t maxLines, std::size_t maxBytesPerLine,
                 std::uint64_t size);
  ~RawLinesReader();
  // Whether bytes still to come could change what is read.
  bool WantsMore() const;
  // Takes the next bytes of the file; throws FatalError once more than the budget came.
  void Feed(const char* p, std::size_t n);
  RawLines Finish();

 private:
  struct State;
  std::string path_;
  std::size_t maxLines_;
  std::uint64_t budget_;
  std::unique_ptr<State> s_;
};

// The byte budget of a read, per line asked for: a second guard, after the refusal of
// pipes and devices, against a file that never ends.
constexpr std::uint64_t kMaxBytesPerLine = 4u << 20;

// What a file that is not a regular file is, in words ("a named pipe", "a directory"),
// from the mode that stat gives.
std::string DescribeFileType(unsigned mode);

// Decodes one line to UTF-8, at most `maxChars` characters of it. Bytes that do not decode
// become U+FFFD (elements/shiftjis.h); `invalid`, when given, is set when that happened in
// the characters returned.
std::string DecodeLine(const std::string& raw, TextEncoding encoding, bool* invalid = nullptr,
                       std::size_t maxChars = static_cast<std::size_t>(-1));

// The file service the game uses: open, end-of-file test, read one line, close.
class TextFile {
 public:
  // A stored line keeps at most this many characters, so one enormous line cannot
  // exhaust memory.
  static constexpr std::size_t kMaxChars = 4096;

  // Reads no more than `maxLines` lines ahead; a caller that wants to know whether a file
  // is longer than n lines opens it with n + 1.
  void Open(const std::string& path, std::size_t maxLines);
  // Takes lines a RawLinesReader read already, as Open would have read them.
  void Adopt(const RawLines& read);
  bool Eof() const { return next_ >= raw_.lines.size(); }
  std::string LineInput();
  void Close();
  TextEncoding encoding() const { return raw_.encoding; }
  const RawLines& raw() const { return raw_; }

 private:
  RawLines raw_;
  std::size_t next_ = 0;
};

// One line that says why a list gave so few lines, for a list too short to deal a round
// from ("jyukugo.dat: 1 line (its lines end with LF alone, ...); a round needs 8").
std::string ShortListNotice(const std::string& path, const RawLines& raw, std::size_t needed);

}  // namespace quendar
