#include "elements/snapshot.h"

#include <charconv>
#include <cmath>

namespace quendar {

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

namespace {

// Shortest text that reads back as the same single-precision value: 292.5 stays 292.5
// and 292 stays 292.
std::string Number(float v) {
  if (!std::isfinite(v)) return "null";
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  return std::string(buf, r.ptr);
}

const char* Bool(bool b) { return b ? "true" : "false"; }

void WriteElement(std::string& o, const Element& e) {
  o += JsonString(e.DisplayName()) + ":{";
  switch (e.kind()) {
    case ElementKind::Label: {
      const auto& l = static_cast<const Label&>(e);
      o += "\"Caption\":" + JsonString(l.Caption);
      o += ",\"Left\":" + Number(l.Left) + ",\"Top\":" + Number(l.Top);
      o += ",\"Width\":" + Number(l.Width) + ",\"Height\":" + Number(l.Height);
      o += ",\"BackColor\":\"" + ColorText(l.BackColor) + "\"";
      o += ",\"ForeColor\":\"" + ColorText(l.ForeColor) + "\"";
      o += ",\"BackStyle\":" + std::to_string(l.BackStyle);
      o += std::string(",\"Enabled\":") + Bool(l.Enabled) + ",\"Visible\":" + Bool(l.Visible);
      break;
    }
    case ElementKind::PictureBox:
      o += std::string("\"Visible\":") + Bool(static_cast<const PictureBox&>(e).Visible);
      break;
    case ElementKind::Timer: {
      const auto& t = static_cast<const Timer&>(e);
      o += std::string("\"Enabled\":") + Bool(t.Enabled()) +
           ",\"Interval\":" + std::to_string(t.Interval());
      break;
    }
  }
  o += "}";
}

void WriteWindow(std::string& o, const Window& w) {
  o += std::string("{\"loaded\":true,\"visible\":") + Bool(w.Visible) +
       ",\"enabled\":" + Bool(w.Enabled) + ",\"vars\":{";
  bool first = true;
  for (const auto& v : w.variables()) {
    if (!first) o += ",";
    first = false;
    o += JsonString(v.name) + ":";
    if (!v.isArray) {
      o += std::to_string(*v.data);
      continue;
    }
    o += "[";
    for (std::size_t i = 0; i < v.count; ++i) {
      if (i) o += ",";
      o += std::to_string(v.data[i]);
    }
    o += "]";
  }
  o += "},\"elements\":{";
  first = true;
  for (const auto& e : w.elements()) {
    if (!first) o += ",";
    first = false;
    WriteElement(o, *e);
  }
  for (const auto& m : w.menus()) {
    o += "," + JsonString(m.name) + ":{\"Caption\":" + JsonString(m.Caption) +
         ",\"Enabled\":" + Bool(m.Enabled) + ",\"Visible\":" + Bool(m.Visible) + "}";
  }
  o += "}}";
}

}  // namespace

std::string Snapshot(const Runtime& runtime, const std::vector<SoundRequest>& sounds) {
  std::string o = "{\"t\":" + std::to_string(runtime.Now()) +
                  ",\"exited\":" + Bool(runtime.Exited()) + ",\"windows\":{";
  bool first = true;
  for (const auto& name : runtime.registered()) {
    if (!first) o += ",";
    first = false;
    o += JsonString(name) + ":";
    if (const Window* w = runtime.Get(name))
      WriteWindow(o, *w);
    else
      o += "null";
  }
  o += "},\"sounds\":[";
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    if (i) o += ",";
    o += "{\"t\":" + std::to_string(sounds[i].t) + ",\"file\":" + JsonString(sounds[i].file) + "}";
  }
  return o + "]}";
}

}  // namespace quendar
