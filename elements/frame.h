// What a window looks like on one screen, as a flat list of drawing commands in output
// pixels. Every screen (the SDL window, the offscreen screenshot, the browser canvas) only
// executes this list, so they cannot disagree about positions, colours or stacking; the
// same geometry answers hit tests and tells a screen what changed since the last frame.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "elements/window.h"

namespace quendar {

// Height of the menu bar drawn above a client area, in pixels at scale 1.
inline constexpr int kMenuBarHeightPx = 20;
// The bars beside a letterboxed client area.
inline constexpr Color kLetterboxColor = 0x303030;

struct PxRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Empty() const { return w <= 0 || h <= 0; }
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
  bool operator==(const PxRect&) const = default;
};

PxRect Intersect(const PxRect& a, const PxRect& b);
// The smallest rectangle holding both (an empty one holds nothing).
PxRect Union(const PxRect& a, const PxRect& b);

// Text measurement, which only a screen with fonts can answer: the frame builder asks it
// for line heights (for multi-line captions and the menu bar) and widths (for alignment
// and the menu's slots).
class TextMetrics {
 public:
  virtual ~TextMetrics() = default;
  // `face` is the design's face name ("ＭＳ 明朝"), `px` the em in output pixels.
  virtual int LineHeight(const std::string& face, int px, bool bold) = 0;
  virtual int Width(std::string_view text, const std::string& face, int px, bool bold) = 0;
  // False once a screen ran out of time and answered without measuring: nothing fitted
  // from such answers may be kept.
  virtual bool Complete() const { return true; }
};

enum class DrawOp : std::uint8_t {
  Fill,     // rect filled with color, no blending
  Text,     // one line of text, top-left corner at (rect.x, rect.y), blended over what is there
  Picture,  // the picture `text` at its own pixel size times `scale`, top-left at (rect.x,
            // rect.y), blended; whole scales keep pixels sharp, others are smoothed. A
            // picture far larger than its box (rect.w × rect.h) is refused
};

struct DrawCommand {
  DrawOp op = DrawOp::Fill;
  PxRect rect;  // Fill: the area; Text: position and measured size; Picture: the box
  PxRect clip;  // nothing is drawn outside it; it also bounds what the command touches
  Color color = 0;
  std::string text;  // Text: the line (UTF-8); Picture: the picture's file name
  std::string face;  // Text: the design's face name
  int px = 0;        // Text: pixel size of the em
  bool bold = false;
  double scale = 1.0;  // Picture: output pixels per picture pixel
  bool operator==(const DrawCommand&) const = default;
};

struct MenuSlot {
  std::string name;
  PxRect rect;  // output pixels
  bool enabled = false;
};

// A panel to the right of the client area (the learner layer's strip), described in its own
// pixels at scale 1 and scaled with the client area as one picture. Its text is fitted to
// the room each item gives it: wrapped at spaces up to `lines` lines, the last one cut
// with an ellipsis, so nothing ever overflows.
// The face of the panel's Latin text: proportional, so meanings read as prose. Screens
// without it draw with their own sans-serif face.
inline constexpr const char* kLatinFace = "DejaVu Sans";
// The face that draws a kanji with its strokes numbered, for the review's kanji card.
// Screens without it draw the Mincho face instead.
inline constexpr const char* kStrokeFace = "KanjiStrokeOrders";

struct PanelItem {
  DrawOp op = DrawOp::Fill;  // Fill or Text
  PxRect rect;               // Fill: the area; Text: top-left corner, and the width it may take
  Color color = 0;
  std::string text, face;  // Text only
  int px = 0;              // Text: em at scale 1
  int lines = 1;           // Text: how many lines it may wrap to
  bool bold = false;
  PxRect clip;  // nothing of it is drawn outside this part of the panel; empty: the panel
};

// What a panel does with the pointer and the clipboard, in its own pixels at scale 1.
class PanelInput {
 public:
  virtual ~PanelInput() = default;
  // True when what the panel shows changed.
  virtual bool Click(double x, double y) = 0;
  virtual bool Wheel(int notches) = 0;  // positive: towards the top
  // What Ctrl+C copies, "" for nothing.
  virtual std::string CopyText() const = 0;
  // Copied: the panel may say so.
  virtual void Copied() = 0;
  // A click beside the panel (on the field). True when the panel took it, as a card it
  // shows closes: the click then goes no further.
  virtual bool ClickOutside() { return false; }
};

using FittedLines = std::unordered_map<std::string, std::vector<std::string>>;

struct SidePanel {
  int width = 0;  // pixels at scale 1; the panel is as tall as the client area
  Color background = 0xFFFFFF;
  std::vector<PanelItem> items;
  std::uint64_t revision = 0;  // changes whenever the items do
  // The commands last built from the items, kept while revision, scale and place hold:
  // fitting text takes many measurements, and the field changes a hundred times a second.
  struct Built {
    std::uint64_t revision = ~0ull;
    double scale = 0;
    PxRect rect;
    std::vector<DrawCommand> commands;
  };
  mutable Built built;
  // Lines already fitted, by face, size, room and text: a match moves the rows below it
  // down, and only the new compound's text needs measuring.
  mutable FittedLines fitted;
  PanelInput* input = nullptr;  // null for a panel that takes no input
};

// The panel a screen shows beside a window, or null for none.
using SidePanelSource = std::function<const SidePanel*(const Window&)>;

// One frame of one window at one output size.
struct Frame {
  int width = 0, height = 0;  // output pixels
  double scale = 1.0;         // output pixels per client pixel at 96 dpi
  int menuHeight = 0;         // 0 without a menu bar
  PxRect client;              // where the client area lies in the output
  PxRect panel;               // where the side panel lies; empty without one
  std::vector<MenuSlot> menu;
  std::vector<DrawCommand> commands;  // in drawing order, bottom first

  // An output position (pixel centres at +0.5) in client pixels at scale 1, or nothing
  // when it is outside the client area.
  struct Point {
    double x, y;
  };
  std::optional<Point> ToClient(double x, double y) const;
  // The same for the side panel, in its pixels at scale 1.
  std::optional<Point> ToPanel(double x, double y) const;
  // The menu slot under an output pixel, or -1.
  int MenuSlotAt(int x, int y) const;
};

// The whole window as a screen shows it: the menu bar across the top, the client area
// scaled uniformly to fit what is left and centred (letterboxed). `hover` is the menu slot
// under the pointer, or -1.
// With `panel`, the client area and the panel beside it are scaled and centred together.
Frame BuildWindowFrame(const Window& window, int outW, int outH, int hover, TextMetrics& metrics,
                       const SidePanel* panel = nullptr);
// The client area alone at a scale, as the driver's screenshot draws it.
Frame BuildClientFrame(const Window& window, double scale, TextMetrics& metrics);

// The output size that shows the window at `scale` with no letterbox.
std::pair<int, int> WindowSizeAt(const Window& window, double scale,
                                 const SidePanel* panel = nullptr);

// The rectangles two frames of the same size differ in: the clips of the commands that
// one has and the other has not. Empty when nothing changed.
std::vector<PxRect> ChangedAreas(const Frame& before, const Frame& after);

// The lines of a caption: split at CR LF, and at a lone CR or LF.
std::vector<std::string_view> SplitLines(std::string_view caption);

// The pixel size of a design font at a scale.
int FontPixels(const Font& font, double scale);

}  // namespace quendar
