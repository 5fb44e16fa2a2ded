// The C++ side of the canvas: each drawing command becomes one call into the page's
// JavaScript layer, which only paints.
#include <emscripten.h>

#include "web/frontend.h"

namespace quendar {

namespace {

// The layouts name Windows' Mincho and Gothic; the page serves IPA Mincho and IPA Gothic
// under two family names of its own.
int FaceIndex(const std::string& face) {
  const bool mincho = face.find("明朝") != std::string::npos ||
                      face.find("Mincho") != std::string::npos ||
                      face.find("Serif") != std::string::npos;
  return mincho ? 0 : 1;
}

// clang-format off
EM_JS(int, js_line_height, (int face, int px, int bold), {
  return Module.quendarCanvas.lineHeight(face, px, bold);
});
EM_JS(int, js_text_width, (const char* text, int face, int px, int bold), {
  return Module.quendarCanvas.textWidth(UTF8ToString(text), face, px, bold);
});
EM_JS(void, js_begin, (int w, int h), { Module.quendarCanvas.begin(w, h); });
EM_JS(void, js_clip_area, (int x, int y, int w, int h), {
  Module.quendarCanvas.clipArea(x, y, w, h);
});
EM_JS(void, js_fill, (int x, int y, int w, int h, int color, int cx, int cy, int cw, int ch), {
  Module.quendarCanvas.fill(x, y, w, h, color, cx, cy, cw, ch);
});
EM_JS(void, js_text, (const char* text, int face, int px, int bold, int color, int x, int y,
                      int cx, int cy, int cw, int ch), {
  Module.quendarCanvas.text(UTF8ToString(text), face, px, bold, color, x, y, cx, cy, cw, ch);
});
EM_JS(void, js_picture, (const char* name, double scale, int x, int y, int cx, int cy, int cw,
                         int ch), {
  Module.quendarCanvas.picture(UTF8ToString(name), scale, x, y, cx, cy, cw, ch);
});
EM_JS(void, js_end, (), { Module.quendarCanvas.end(); });
EM_JS(int, js_faces_ready, (const char* mincho, const char* gothic), {
  return Module.quendarCanvas.facesReady(UTF8ToString(mincho), UTF8ToString(gothic));
});
// clang-format on

int Rgb(Color c) {
  return static_cast<int>(c & 0xFFFFFF);
}

}  // namespace

int CanvasMetrics::LineHeight(const std::string& face, int px, bool bold) {
  return js_line_height(FaceIndex(face), px, bold);
}

int CanvasMetrics::Width(std::string_view text, const std::string& face, int px, bool bold) {
  const std::string s(text);
  return js_text_width(s.c_str(), FaceIndex(face), px, bold);
}

bool FacesReady(const Frame& frame) {
  std::string text[2];
  for (const DrawCommand& c : frame.commands)
    if (c.op == DrawOp::Text) text[FaceIndex(c.face)] += c.text;
  return js_faces_ready(text[0].c_str(), text[1].c_str()) != 0;
}

void ExecuteOnCanvas(const Frame& frame, const std::vector<PxRect>* areas) {
  js_begin(frame.width, frame.height);
  if (areas)
    for (const PxRect& a : *areas)
      js_clip_area(a.x, a.y, a.w, a.h);
  for (const DrawCommand& c : frame.commands) {
    if (areas) {
      bool touched = false;
      for (const PxRect& a : *areas)
        touched = touched || !Intersect(a, c.clip).Empty();
      if (!touched) continue;
    }
    const PxRect& k = c.clip;
    switch (c.op) {
      case DrawOp::Fill:
        js_fill(c.rect.x, c.rect.y, c.rect.w, c.rect.h, Rgb(c.color), k.x, k.y, k.w, k.h);
        break;
      case DrawOp::Text:
        js_text(c.text.c_str(), FaceIndex(c.face), c.px, c.bold, Rgb(c.color), c.rect.x, c.rect.y,
                k.x, k.y, k.w, k.h);
        break;
      case DrawOp::Picture:
        js_picture(c.text.c_str(), c.scale, c.rect.x, c.rect.y, k.x, k.y, k.w, k.h);
        break;
    }
  }
  js_end();
}

}  // namespace quendar
