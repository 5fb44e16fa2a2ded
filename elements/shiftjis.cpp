#include "elements/shiftjis.h"

#include <cstdint>
#include <iterator>

#include "elements/text.h"

namespace quendar {

namespace {

constexpr std::uint16_t kJis0208[] = {
#include "elements/jis0208_index.inc"
};
static_assert(sizeof kJis0208 / sizeof kJis0208[0] == 11104);

constexpr char32_t kReplacement = 0xFFFD;

// The code point of a lead and trail byte, or 0 when the pair decodes to nothing.
char32_t TwoBytes(unsigned lead, unsigned trail) {
  if (!((trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC))) return 0;
  const unsigned pointer =
      (lead - (lead < 0xA0 ? 0x81 : 0xC1)) * 188 + trail - (trail < 0x7F ? 0x40 : 0x41);
  if (pointer >= 8836 && pointer <= 10715) return 0xE000 - 8836 + pointer;  // user-defined
  return pointer < std::size(kJis0208) ? kJis0208[pointer] : 0;  // the index ends at 0xFC4B
}

}  // namespace

std::string ShiftJisToUtf8(std::string_view raw, bool* invalid, std::size_t maxChars) {
  *invalid = false;
  std::string out;
  out.reserve(raw.size());
  std::size_t chars = 0;
  for (std::size_t i = 0; i < raw.size() && chars < maxChars; ++chars) {
    const auto b = static_cast<unsigned char>(raw[i++]);
    if (b < 0x80) {  // most of a list's bytes: the column TABs, the meanings
      out += static_cast<char>(b);
      continue;
    }
    char32_t cp = kReplacement;
    if (b == 0x80) {
      cp = b;
    } else if (b >= 0xA1 && b <= 0xDF) {
      cp = 0xFF61 - 0xA1 + b;
    } else if ((b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC)) {
      if (i < raw.size()) {
        const auto trail = static_cast<unsigned char>(raw[i]);
        if (const char32_t two = TwoBytes(b, trail)) cp = two;
        // An ASCII trail byte is left to be read again; any other is taken with the lead.
        if (cp != kReplacement || trail >= 0x80) ++i;
      }
    }
    if (cp == kReplacement) *invalid = true;
    AppendUtf8(out, cp);
  }
  return out;
}

std::string Utf8WithReplacements(std::string_view raw, bool* invalid, std::size_t maxChars) {
  *invalid = false;
  std::string out;
  out.reserve(raw.size());
  std::size_t chars = 0;
  for (std::size_t i = 0; i < raw.size() && chars < maxChars; ++chars) {
    const auto b = static_cast<unsigned char>(raw[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    const Utf8Lead lead = LeadOf(b);
    std::size_t k = 1;
    for (unsigned char lo = lead.lo, hi = lead.hi;
         lead.length && k < static_cast<std::size_t>(lead.length) && i + k < raw.size();
         ++k, lo = 0x80, hi = 0xBF) {
      const auto c = static_cast<unsigned char>(raw[i + k]);
      if (c < lo || c > hi) break;
    }
    if (lead.length && k == static_cast<std::size_t>(lead.length)) {
      out.append(raw.substr(i, k));
    } else {
      AppendUtf8(out, kReplacement);
      *invalid = true;
    }
    i += k;  // a byte that broke a sequence starts the next one
  }
  return out;
}

}  // namespace quendar
