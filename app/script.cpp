#include "app/script.h"

#include <charconv>
#include <sstream>
#include <vector>

namespace quendar {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::string text = line.substr(0, line.find('#'));
  std::vector<std::string> words;
  std::istringstream in(text);
  std::string w;
  while (in >> w)
    words.push_back(w);
  return words;
}

template <typename T>
bool ParseNumber(const std::string& s, T& out) {
  const char* end = s.data() + s.size();
  auto r = std::from_chars(s.data(), end, out);
  return r.ec == std::errc() && r.ptr == end;
}

bool IsName(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_')) return false;
  return true;
}

// NAME or NAME(I).
bool ParseIndexedName(const std::string& s, std::string& name, int& index) {
  const auto open = s.find('(');
  if (open == std::string::npos) {
    name = s;
    index = -1;
    return IsName(s);
  }
  if (s.back() != ')') return false;
  name = s.substr(0, open);
  return IsName(name) && ParseNumber(s.substr(open + 1, s.size() - open - 2), index) && index >= 0;
}

ParseResult Error(std::string why) {
  return ParseResult{std::nullopt, std::move(why)};
}

}  // namespace

// A word of a malformed line as the message quotes it: cut short, since a line can be long.
std::string Quote(const std::string& word) {
  constexpr std::size_t kShown = 40;
  std::string out(1, '\'');
  if (word.size() <= kShown) return out.append(word).append(1, '\'');
  std::size_t cut = kShown;
  while (cut > 0 && (static_cast<unsigned char>(word[cut]) & 0xC0) == 0x80)
    --cut;  // not inside a UTF-8 character
  out.append(word, 0, cut).append("…' (").append(std::to_string(word.size())).append(" bytes)");
  return out;
}

ParseResult ParseScriptLine(const std::string& line) {
  if (line.size() > kMaxScriptLine)
    return Error("the line is longer than " + std::to_string(kMaxScriptLine) + " characters");
  const auto w = Words(line);
  Command c;
  if (w.empty()) return ParseResult{c, ""};
  const std::string& verb = w[0];
  auto want = [&](std::size_t n) { return w.size() == n + 1; };
  auto arity = [&](std::size_t n) {
    return Error("'" + verb + "' takes " + std::to_string(n) +
                 (n == 1 ? " argument" : " arguments") + ", got " + std::to_string(w.size() - 1));
  };

  if (verb == "seed") {
    if (!want(1)) return arity(1);
    if (!ParseNumber(w[1], c.seed))
      return Error("seed wants an unsigned 64-bit number, got " + Quote(w[1]));
    c.kind = Command::Kind::Seed;
  } else if (verb == "start") {
    if (w.size() > 2) return Error("'start' takes no argument or a window name");
    c.kind = Command::Kind::Start;
    if (w.size() == 2) {
      if (w[1] != "Form1") return Error("'start' can only skip to Form1, got " + Quote(w[1]));
      c.name = w[1];
    }
  } else if (verb == "wait") {
    if (!want(1)) return arity(1);
    if (!ParseNumber(w[1], c.number) || c.number < 0)
      return Error("wait wants a whole number of milliseconds, got " + Quote(w[1]));
    if (c.number > kMaxWaitMs)
      return Error("wait takes at most " + std::to_string(kMaxWaitMs) +
                   " ms (one hour) at a time, got " + Quote(w[1]) + "; split a longer wait");
    c.kind = Command::Kind::Wait;
  } else if (verb == "key") {
    if (!want(1)) return arity(1);
    if (!ParseNumber(w[1], c.number) || c.number < 0 || c.number > 255)
      return Error("key wants a key code from 0 to 255, got " + Quote(w[1]));
    c.kind = Command::Kind::Key;
  } else if (verb == "click") {
    if (!want(1)) return arity(1);
    if (!ParseIndexedName(w[1], c.name, c.index))
      return Error("click wants NAME or NAME(INDEX), got " + Quote(w[1]));
    c.kind = Command::Kind::Click;
  } else if (verb == "click-at") {
    if (!want(2)) return arity(2);
    if (!ParseNumber(w[1], c.x) || !ParseNumber(w[2], c.y))
      return Error("click-at wants two whole pixel numbers");
    c.kind = Command::Kind::ClickAt;
  } else if (verb == "menu") {
    if (!want(1)) return arity(1);
    if (!IsName(w[1])) return Error("menu wants an item name, got " + Quote(w[1]));
    c.name = w[1];
    c.kind = Command::Kind::Menu;
  } else if (verb == "close") {
    if (!want(0)) return arity(0);
    c.kind = Command::Kind::Close;
  } else if (verb == "set") {
    if (!want(2)) return arity(2);
    if (!ParseIndexedName(w[1], c.name, c.index))
      return Error("set wants NAME or NAME(INDEX), got " + Quote(w[1]));
    if (!ParseNumber(w[2], c.number) || c.number < -32768 || c.number > 32767)
      return Error("set wants a 16-bit value from -32768 to 32767, got " + Quote(w[2]));
    c.kind = Command::Kind::Set;
  } else if (verb == "snapshot") {
    if (!want(0)) return arity(0);
    c.kind = Command::Kind::Snapshot;
  } else if (verb == "screenshot") {
    if (!want(1)) return arity(1);
    c.name = w[1];
    c.kind = Command::Kind::Screenshot;
  } else {
    return Error("unknown command " + Quote(verb));
  }
  return ParseResult{c, ""};
}

bool ReadScriptLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buf = in.rdbuf();
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return !line.empty();
    }
    if (c == '\n') return true;
    line += static_cast<char>(c);
    // Too long already: the rest is not read, so an endless line ends the script at once.
    if (line.size() > kMaxScriptLine) return true;
  }
}

}  // namespace quendar
