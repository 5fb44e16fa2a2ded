#include "elements/text.h"

namespace quendar {

namespace {
std::size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead >> 5) == 0x6) return 2;
  if ((lead >> 4) == 0xE) return 3;
  if ((lead >> 3) == 0x1E) return 4;
  return 1;
}
}  // namespace

std::string CharAt(std::string_view s, int start) {
  if (start < 1) return "";
  std::size_t pos = 0;
  for (int i = 1; pos < s.size(); ++i) {
    const std::size_t len = SequenceLength(static_cast<unsigned char>(s[pos]));
    if (i == start) return std::string(s.substr(pos, len));
    pos += len;
  }
  return "";
}

std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < s.size(); ++n)
    pos += SequenceLength(static_cast<unsigned char>(s[pos]));
  return n;
}

std::string FirstChars(std::string_view s, std::size_t maxChars) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < maxChars && pos < s.size(); ++n)
    pos += SequenceLength(static_cast<unsigned char>(s[pos]));
  return std::string(s.substr(0, pos < s.size() ? pos : s.size()));
}

void Utf8Validator::Feed(std::string_view bytes) {
  for (unsigned char b : bytes) {
    if (!ok_) return;
    if (pending_ > 0) {
      if (b < lo_ || b > hi_) {
        ok_ = false;
        return;
      }
      lo_ = 0x80;
      hi_ = 0xBF;
      --pending_;
      continue;
    }
    if (b < 0x80) continue;
    nonAscii_ = true;
    const Utf8Lead lead = LeadOf(b);
    if (lead.length == 0) {
      ok_ = false;
      return;
    }
    pending_ = lead.length - 1;
    lo_ = lead.lo;
    hi_ = lead.hi;
  }
}

Utf8Lead LeadOf(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) return {2, 0x80, 0xBF};
  if (b >= 0xE0 && b <= 0xEF)  // no overlongs after E0, no surrogates after ED
    return {3, static_cast<unsigned char>(b == 0xE0 ? 0xA0 : 0x80),
            static_cast<unsigned char>(b == 0xED ? 0x9F : 0xBF)};
  if (b >= 0xF0 && b <= 0xF4)  // no overlongs after F0, nothing past U+10FFFF after F4
    return {4, static_cast<unsigned char>(b == 0xF0 ? 0x90 : 0x80),
            static_cast<unsigned char>(b == 0xF4 ? 0x8F : 0xBF)};
  return {};
}

bool IsValidUtf8(std::string_view bytes) {
  Utf8Validator v;
  v.Feed(bytes);
  return v.Valid();
}

bool IsKanjiOrKana(char32_t cp) {
  return (cp >= 0x4E00 && cp <= 0x9FFF) || cp == 0x3005 || (cp >= 0x3041 && cp <= 0x30FF);
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

char32_t NextCodePoint(std::string_view s, std::size_t& pos) {
  const unsigned char lead = static_cast<unsigned char>(s[pos]);
  const std::size_t len = SequenceLength(lead);
  char32_t cp = len == 1 ? lead : lead & (0xFF >> (len + 1));
  for (std::size_t i = 1; i < len && pos + i < s.size(); ++i)
    cp = (cp << 6) | (static_cast<unsigned char>(s[pos + i]) & 0x3F);
  pos += len;
  return cp;
}

}  // namespace quendar
