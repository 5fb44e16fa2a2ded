// A window: its design (elements in stacking order, menu bar, scale), its window-level
// variables, and the event handlers a concrete window overrides.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "elements/elements.h"

namespace quendar {

class Runtime;

// A window-level 16-bit variable or fixed array, named as the design names it, so the
// driver can print and set it.
struct Variable {
  std::string name;
  std::int16_t* data;
  std::size_t count;  // 1 for a scalar
  bool isArray;
  std::int16_t min = -32768, max = 32767;  // the values play can produce
};

class Window {
 public:
  Window(Runtime& runtime, std::string name);
  virtual ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  const std::string& name() const { return name_; }
  Runtime& runtime() { return runtime_; }

  // Design properties.
  std::string Caption;
  int clientWidthPx = 0, clientHeightPx = 0;  // at 96 dpi
  double twipsPerUnitX = 1.0, twipsPerUnitY = 1.0;
  Color BackColor = kWindowColor;
  std::string icon;  // picture file name

  // Run-time properties.
  bool Enabled = true;
  bool Visible = false;

  // Elements, topmost first; timers are kept in the same list but never drawn.
  const std::vector<std::unique_ptr<Element>>& elements() const { return elements_; }
  Element* Find(const std::string& name, int index) const;
  const std::vector<MenuItem>& menus() const { return menus_; }
  const MenuItem* FindMenu(const std::string& name) const;
  const std::vector<Variable>& variables() const { return variables_; }
  const Variable* FindVariable(const std::string& name) const;

  // Conversions between the window's units and pixels at the given scale (1 = 96 dpi).
  double UnitsToPxX(double units, double scale = 1.0) const {
    return units * twipsPerUnitX / 15.0 * scale;
  }
  double UnitsToPxY(double units, double scale = 1.0) const {
    return units * twipsPerUnitY / 15.0 * scale;
  }

  // The topmost visible element of non-zero size under a point given in pixels at
  // scale 1, or null; this is the front end's hit test.
  const Visual* HitTest(double xPx, double yPx) const;

  // Events, raised by the runtime one at a time.
  virtual void Form_Load() {}
  virtual void Form_KeyDown(std::int16_t keyCode, std::int16_t shift);

  // For tools that set variables from outside (the driver's `set`): why the current state
  // is one that play can never reach and the handlers cannot go on from, or "".
  virtual std::string StateProblem() const { return ""; }

 protected:
  Label& AddLabel(const std::string& name, int index = -1);
  PictureBox& AddPicture(const std::string& name, int index = -1);
  Timer& AddTimer(const std::string& name, bool enabled, int interval);
  void AddMenu(const std::string& name, const std::string& caption);

  // Declarations with their handlers, a member function of the concrete window W: a timer
  // and its Timer event, a menu item and its Click, a label of a family and the family's
  // Click (called with the label's index).
  template <typename W>
  Timer& AddTimer(const std::string& name, bool enabled, int interval, void (W::*tick)()) {
    Timer& t = AddTimer(name, enabled, interval);
    t.Tick = [w = static_cast<W*>(this), tick] { (w->*tick)(); };
    return t;
  }
  template <typename W>
  void AddMenu(const std::string& name, const std::string& caption, void (W::*click)()) {
    AddMenu(name, caption);
    menus_.back().Click = [w = static_cast<W*>(this), click] { (w->*click)(); };
  }
  template <typename W>
  Label& AddLabel(const std::string& name, int index, void (W::*click)(int)) {
    Label& l = AddLabel(name, index);
    l.Click = [w = static_cast<W*>(this), click](int i) { (w->*click)(i); };
    return l;
  }
  void AddVariable(const std::string& name, std::int16_t& v, std::int16_t min = -32768,
                   std::int16_t max = 32767);
  void AddArray(const std::string& name, std::int16_t* data, std::size_t count,
                std::int16_t min = -32768, std::int16_t max = 32767);

 private:
  Runtime& runtime_;
  std::string name_;
  std::vector<std::unique_ptr<Element>> elements_;
  std::vector<MenuItem> menus_;
  std::vector<Variable> variables_;
};

}  // namespace quendar
