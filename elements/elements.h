// The screen elements a window holds. Properties are plain fields: handlers write them
// freely and the front end paints whatever they hold at the next repaint. Timers are the
// exception, since switching one on or changing its period must reach the scheduler.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "elements/basics.h"

namespace quendar {

class Runtime;
class Window;

enum class ElementKind { Label, PictureBox, Timer };

enum class Alignment { Left, Right, Center };

struct Font {
  std::string family;  // design name, e.g. "ＭＳ 明朝"
  float points = 9.0f;
  bool bold = false;
  // Pixel height of the em at 96 dpi, the size the layouts are drawn for.
  float Pixels() const { return points * 96.0f / 72.0f; }
};

class Element {
 public:
  Element(ElementKind kind, std::string name, int index)
      : kind_(kind), name_(std::move(name)), index_(index) {}
  virtual ~Element() = default;
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;

  ElementKind kind() const { return kind_; }
  const std::string& name() const { return name_; }
  // Index within a control array, or -1 for a single element.
  int index() const { return index_; }
  // "Label1(3)" or "Label5".
  std::string DisplayName() const;

 private:
  ElementKind kind_;
  std::string name_;
  int index_;
};

// A rectangle in the window's own coordinate scale.
class Visual : public Element {
 public:
  using Element::Element;
  float Left = 0, Top = 0, Width = 0, Height = 0;
  bool Visible = true;
  bool Enabled = true;
  Color BackColor = kWindowColor;

  bool Contains(float x, float y) const {
    return x >= Left && y >= Top && x < Left + Width && y < Top + Height;
  }
};

class Label : public Visual {
 public:
  Label(std::string name, int index) : Visual(ElementKind::Label, std::move(name), index) {}
  std::string Caption;  // UTF-8
  Color ForeColor = kWindowTextColor;
  int BackStyle = 1;  // 0 transparent, 1 opaque
  Alignment alignment = Alignment::Left;
  Font font;
  // The window's click handler for this label's family, called with the label's index.
  std::function<void(int)> Click;
};

class PictureBox : public Visual {
 public:
  PictureBox(std::string name, int index)
      : Visual(ElementKind::PictureBox, std::move(name), index) {}
  std::string picture;  // file name under the pictures directory, empty for a plain box
};

class Timer : public Element {
 public:
  Timer(Runtime& runtime, std::string name, bool enabled, int interval);
  ~Timer() override;

  bool Enabled() const { return enabled_; }
  int Interval() const { return interval_; }
  // Switching on a stopped timer starts its count afresh; switching on a running one
  // changes nothing.
  void SetEnabled(bool on);
  // Inside the timer's own tick the new period applies to the wait that follows; outside
  // it, a changed period restarts the count.
  void SetInterval(int ms);

  // Scheduler state, owned by the runtime.
  std::int64_t due = 0;
  std::uint64_t order = 0;  // creation order breaks ties between timers due together
  bool inTick = false;
  bool rearmed = false;  // switched off and on again during its own tick
  Window* owner = nullptr;
  std::function<void()> Tick;  // the window's handler, bound where the timer is declared
  int statsIndex = -1;         // the runtime's punctuality record for this timer

 private:
  Runtime& runtime_;
  bool enabled_ = false;
  int interval_ = 0;
};

// A colour property, told apart from the numbers.
struct ColorValue {
  Color value;
};

// The properties of each kind of element that the game reads or writes, under their design
// names, handed to `f(name, value)` in a fixed order. The driver's snapshot lists exactly
// these; the frame description draws from the same fields.
template <typename F>
void ForEachProperty(const Label& l, F&& f) {
  f("Caption", l.Caption);
  f("Left", l.Left);
  f("Top", l.Top);
  f("Width", l.Width);
  f("Height", l.Height);
  f("BackColor", ColorValue{l.BackColor});
  f("ForeColor", ColorValue{l.ForeColor});
  f("BackStyle", l.BackStyle);
  f("Enabled", l.Enabled);
  f("Visible", l.Visible);
}
template <typename F>
void ForEachProperty(const PictureBox& p, F&& f) {
  f("Visible", p.Visible);
  f("Left", p.Left);
  f("Top", p.Top);
  f("Width", p.Width);
  f("Height", p.Height);
}
template <typename F>
void ForEachProperty(const Timer& t, F&& f) {
  f("Enabled", t.Enabled());
  f("Interval", t.Interval());
}

struct MenuItem {
  std::string name;
  std::string Caption;
  bool Enabled = true;
  bool Visible = true;
  std::function<void()> Click;  // the window's handler, bound where the item is declared
};

}  // namespace quendar
