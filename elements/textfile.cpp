#include "elements/textfile.h"

#include "elements/shiftjis.h"
#include "elements/text.h"

namespace quendar {

std::string DecodeLine(const std::string& raw, TextEncoding encoding, bool* invalid,
                       std::size_t maxChars) {
  bool bad = false;
  if (encoding == TextEncoding::Utf8)
    return Utf8WithReplacements(raw, invalid ? invalid : &bad, maxChars);
  return ShiftJisToUtf8(raw, invalid ? invalid : &bad, maxChars);
}

void TextFile::Open(const std::string& path, std::size_t maxLines) {
  // Four bytes per character covers the longest character of either encoding.
  raw_ = ReadRawLines(path, maxLines, kMaxChars * 4);
  next_ = 0;
}

std::string TextFile::LineInput() {
  if (Eof()) return "";
  return DecodeLine(raw_.lines[next_++], raw_.encoding, nullptr, kMaxChars);
}

void TextFile::Adopt(const RawLines& read) {
  raw_ = read;
  next_ = 0;
}

void TextFile::Close() {
  raw_ = RawLines{};
  next_ = 0;
}

std::string ShortListNotice(const std::string& path, const RawLines& raw, std::size_t needed) {
  const std::size_t n = raw.lines.size();
  std::string text = path + ": " + std::to_string(n) + (n == 1 ? " line" : " lines");
  if (raw.encoding == TextEncoding::ShiftJis && raw.lfEnds > 0)
    text += " (its lines end with LF alone, which a Shift-JIS list does not end a line with)";
  else if (raw.encoding == TextEncoding::ShiftJis && raw.firstNonUtf8 && raw.mostlyUtf8)
    text += " (read as Shift-JIS: line " + std::to_string(raw.firstNonUtf8->line) + ", byte " +
            std::to_string(raw.firstNonUtf8->column) + " is not UTF-8)";
  return text + "; a round needs " + std::to_string(needed);
}

}  // namespace quendar
