#include "elements/snapshot.h"

#include <cmath>

#include "elements/float_text.h"

namespace quendar {

std::string JsonString(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
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
  return ShortestFloatText(v);
}

const char* Bool(bool b) {
  return b ? "true" : "false";
}

// Appends each piece in turn; building no temporary strings keeps this cheap.
template <typename... Parts>
void Add(std::string& o, const Parts&... parts) {
  (o.append(parts), ...);
}

// One property as a JSON member, after a comma unless it is the first.
struct PropertyWriter {
  std::string& o;
  bool first = true;
  void Name(const char* name) {
    Add(o, first ? "\"" : ",\"", name, "\":");
    first = false;
  }
  void operator()(const char* name, const std::string& v) {
    Name(name);
    o += JsonString(v);
  }
  void operator()(const char* name, float v) {
    Name(name);
    o += Number(v);
  }
  void operator()(const char* name, ColorValue v) {
    Name(name);
    Add(o, "\"", ColorText(v.value), "\"");
  }
  void operator()(const char* name, int v) {
    Name(name);
    o += std::to_string(v);
  }
  void operator()(const char* name, bool v) {
    Name(name);
    o += Bool(v);
  }
};

void WriteElement(std::string& o, const Element& e) {
  Add(o, JsonString(e.DisplayName()), ":{");
  PropertyWriter w{o};
  switch (e.kind()) {
    case ElementKind::Label:
      ForEachProperty(static_cast<const Label&>(e), w);
      break;
    case ElementKind::PictureBox:
      ForEachProperty(static_cast<const PictureBox&>(e), w);
      break;
    case ElementKind::Timer:
      ForEachProperty(static_cast<const Timer&>(e), w);
      break;
  }
  o += "}";
}

void WriteWindow(std::string& o, const Window& w) {
  Add(o, "{\"loaded\":true,\"visible\":", Bool(w.Visible), ",\"enabled\":", Bool(w.Enabled),
      ",\"vars\":{");
  bool first = true;
  for (const auto& v : w.variables()) {
    if (!first) o += ",";
    first = false;
    Add(o, JsonString(v.name), ":");
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
  for (const auto& m : w.menus())
    Add(o, ",", JsonString(m.name), ":{\"Caption\":", JsonString(m.Caption),
        ",\"Enabled\":", Bool(m.Enabled), ",\"Visible\":", Bool(m.Visible), "}");
  o += "}}";
}

}  // namespace

std::string Snapshot(const Runtime& runtime, const std::vector<SoundRequest>& sounds,
                     const std::string& study) {
  std::string o;
  Add(o, "{\"t\":", std::to_string(runtime.Now()), ",\"exited\":", Bool(runtime.Exited()),
      ",\"windows\":{");
  bool first = true;
  for (const auto& name : runtime.registered()) {
    if (!first) o += ",";
    first = false;
    Add(o, JsonString(name), ":");
    if (const Window* w = runtime.Get(name))
      WriteWindow(o, *w);
    else
      o += "null";
  }
  o += "},\"sounds\":[";
  for (std::size_t i = 0; i < sounds.size(); ++i) {
    if (i) o += ",";
    Add(o, "{\"t\":", std::to_string(sounds[i].t), ",\"file\":", JsonString(sounds[i].file), "}");
  }
  o += "]";
  if (!study.empty()) Add(o, ",\"study\":", study);
  o += "}";
  return o;
}

}  // namespace quendar
