#include "elements/window.h"

#include "elements/runtime.h"

namespace quendar {

std::string Element::DisplayName() const {
  return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

Timer::Timer(Runtime& runtime, std::string name, bool enabled, int interval)
    : Element(ElementKind::Timer, std::move(name), -1), runtime_(runtime), interval_(interval) {
  order = runtime_.NextTimerOrder();
  runtime_.AddTimer(this);
  SetEnabled(enabled);
}

Timer::~Timer() {
  runtime_.RemoveTimer(this);
}

void Timer::SetEnabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (on) {
    due = runtime_.Now() + interval_;
    if (inTick) rearmed = true;
  }
}

void Timer::SetInterval(int ms) {
  if (ms == interval_) return;
  interval_ = ms;
  if (enabled_ && !inTick) due = runtime_.Now() + interval_;
}

Window::Window(Runtime& runtime, std::string name) : runtime_(runtime), name_(std::move(name)) {}

Window::~Window() = default;

Element* Window::Find(const std::string& name, int index) const {
  for (const auto& e : elements_)
    if (e->name() == name && e->index() == index) return e.get();
  return nullptr;
}

const MenuItem* Window::FindMenu(const std::string& name) const {
  for (const auto& m : menus_)
    if (m.name == name) return &m;
  return nullptr;
}

const Variable* Window::FindVariable(const std::string& name) const {
  for (const auto& v : variables_)
    if (v.name == name) return &v;
  return nullptr;
}

const Visual* Window::HitTest(double xPx, double yPx) const {
  // Picture boxes lie over every label, and the list is already topmost first.
  for (const auto& e : elements_) {
    if (e->kind() == ElementKind::Timer) continue;
    const auto& v = static_cast<const Visual&>(*e);
    if (!v.Visible || v.Width <= 0 || v.Height <= 0) continue;
    const double x = xPx * 15.0 / twipsPerUnitX;
    const double y = yPx * 15.0 / twipsPerUnitY;
    if (v.Contains(static_cast<float>(x), static_cast<float>(y))) return &v;
  }
  return nullptr;
}

void Window::Form_KeyDown(std::int16_t, std::int16_t) {}

Label& Window::AddLabel(const std::string& name, int index) {
  auto p = std::make_unique<Label>(name, index);
  Label& ref = *p;
  elements_.push_back(std::move(p));
  return ref;
}

PictureBox& Window::AddPicture(const std::string& name, int index) {
  auto p = std::make_unique<PictureBox>(name, index);
  PictureBox& ref = *p;
  elements_.push_back(std::move(p));
  return ref;
}

Timer& Window::AddTimer(const std::string& name, bool enabled, int interval) {
  auto p = std::make_unique<Timer>(runtime_, name, enabled, interval);
  Timer& ref = *p;
  ref.owner = this;
  elements_.push_back(std::move(p));
  return ref;
}

void Window::AddMenu(const std::string& name, const std::string& caption) {
  menus_.push_back(MenuItem{name, caption, true, true, nullptr});
}

void Window::AddVariable(const std::string& name, std::int16_t& v, std::int16_t min,
                         std::int16_t max) {
  variables_.push_back(Variable{name, &v, 1, false, min, max});
}

void Window::AddArray(const std::string& name, std::int16_t* data, std::size_t count,
                      std::int16_t min, std::int16_t max) {
  variables_.push_back(Variable{name, data, count, true, min, max});
}

}  // namespace quendar
