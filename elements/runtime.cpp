#include "elements/runtime.h"

#include <algorithm>
#include <iostream>

namespace quendar {

namespace {
const DataFiles& CurrentDirectory() {
  static const DataFiles files;
  return files;
}
}  // namespace

namespace {
NoStudy noStudy;
}  // namespace

Runtime::Runtime(Clock& clock, Random& random, SoundService& sound)
    : clock_(clock),
      random_(random),
      sound_(sound),
      study_(&noStudy),
      files_(&CurrentDirectory()) {}

Runtime::~Runtime() {
  graveyard_.clear();
  windows_.clear();
}

void Runtime::Notice(const std::string& line) const {
  if (notice_)
    notice_(line);
  else
    std::cerr << "quendar: " << line << std::endl;
}

void Runtime::Register(const std::string& name, Factory factory) {
  names_.push_back(name);
  factories_.push_back(std::move(factory));
}

template <typename F>
bool Runtime::Dispatch(F&& handler) {
  if (Exited() || fatal_) return false;
  bool delivered = false;
  try {
    delivered = handler();
  } catch (const FatalError& e) {
    // Nothing is trapped: the program ends, as it would with every window closed.
    fatal_ = e.what();
    for (auto& w : windows_)
      graveyard_.push_back(std::move(w));
    windows_.clear();
    active_ = nullptr;
    for (auto& w : graveyard_)
      for (const auto& e2 : w->elements())
        if (e2->kind() == ElementKind::Timer) RemoveTimer(static_cast<Timer*>(e2.get()));
    delivered = true;
  }
  graveyard_.clear();
  ++generation_;
  return delivered;
}

bool Runtime::Start(const std::string& window) {
  Dispatch([&] {
    Show(window);
    return true;
  });
  started_ = true;
  return !fatal_;
}

Window* Runtime::FindLoaded(const std::string& name) const {
  for (const auto& w : windows_)
    if (w->name() == name) return w.get();
  return nullptr;
}

Window* Runtime::Get(const std::string& name) const {
  return FindLoaded(name);
}

Window* Runtime::Active() const {
  return active_;
}

Window& Runtime::Show(const std::string& name) {
  Window* w = FindLoaded(name);
  if (!w) {
    auto it = std::find(names_.begin(), names_.end(), name);
    if (it == names_.end()) throw FatalError("no window named " + name);
    auto created = factories_[static_cast<std::size_t>(it - names_.begin())](*this);
    w = created.get();
    windows_.push_back(std::move(created));
    w->Form_Load();
  }
  w->Visible = true;
  active_ = w;
  return *w;
}

void Runtime::Unload(Window& window) {
  auto it = std::find_if(windows_.begin(), windows_.end(),
                         [&](const auto& p) { return p.get() == &window; });
  if (it == windows_.end()) return;
  for (const auto& e : window.elements())
    if (e->kind() == ElementKind::Timer) RemoveTimer(static_cast<Timer*>(e.get()));
  window.Visible = false;
  // The window may be running the handler that unloads it: keep it alive until the
  // event returns.
  graveyard_.push_back(std::move(*it));
  windows_.erase(it);
  if (active_ == &window) {
    active_ = nullptr;
    for (auto r = windows_.rbegin(); r != windows_.rend(); ++r)
      if ((*r)->Visible) {
        active_ = r->get();
        break;
      }
  }
}

bool Runtime::Key(int keyCode) {
  return Dispatch([&] {
    // The learner layer's own key works on a finished game too, and no window sees it.
    if (study_->TakeKey(keyCode)) return false;
    Window* w = active_;
    if (!w || !w->Enabled) return false;
    w->Form_KeyDown(Saturate16(keyCode), 0);
    return true;
  });
}

bool Runtime::Click(const std::string& label, int index) {
  return Dispatch([&] {
    Window* w = active_;
    if (!w || !w->Enabled) return false;
    Element* e = w->Find(label, index);
    if (!e || e->kind() != ElementKind::Label) return false;
    auto& l = static_cast<Label&>(*e);
    if (!l.Enabled || !l.Visible || !l.Click) return false;
    l.Click(l.index());
    return true;
  });
}

bool Runtime::ClickAt(double xPx, double yPx) {
  return Dispatch([&] {
    Window* w = active_;
    if (!w || !w->Enabled) return false;
    const Visual* v = w->HitTest(xPx, yPx);
    if (!v || v->kind() != ElementKind::Label || !v->Enabled) return false;
    const auto& l = static_cast<const Label&>(*v);
    if (!l.Click) return false;
    l.Click(l.index());
    return true;
  });
}

bool Runtime::Menu(const std::string& item) {
  return Dispatch([&] {
    Window* w = active_;
    if (!w || !w->Enabled) return false;
    const MenuItem* m = w->FindMenu(item);
    if (!m || !m->Enabled || !m->Visible || !m->Click) return false;
    m->Click();
    return true;
  });
}

bool Runtime::Close() {
  return Dispatch([&] {
    Window* w = active_;
    if (!w) return false;
    Unload(*w);
    return true;
  });
}

Runtime::TickStats& Runtime::StatsFor(Timer& t) {
  if (t.statsIndex < 0) {
    const std::string key = (t.owner ? t.owner->name() : std::string("?")) + "." + t.name();
    auto it = std::find_if(tickStats_.begin(), tickStats_.end(),
                           [&](const auto& entry) { return entry.first == key; });
    if (it == tickStats_.end()) it = tickStats_.emplace(tickStats_.end(), key, TickStats{});
    t.statsIndex = static_cast<int>(it - tickStats_.begin());
  }
  return tickStats_[static_cast<std::size_t>(t.statsIndex)].second;
}

void Runtime::RemoveTimer(Timer* t) {
  timers_.erase(std::remove(timers_.begin(), timers_.end(), t), timers_.end());
}

bool Runtime::IsLive(const Timer* t) const {
  return std::find(timers_.begin(), timers_.end(), t) != timers_.end();
}

std::optional<std::int64_t> Runtime::NextDue() const {
  std::optional<std::int64_t> best;
  for (const Timer* t : timers_)
    if (t->Enabled() && t->Interval() > 0 && (!best || t->due < *best)) best = t->due;
  return best;
}

void Runtime::RunTimersUntil(std::int64_t limit) {
  while (!Exited() && !fatal_) {
    Timer* next = nullptr;
    for (Timer* t : timers_) {
      if (!t->Enabled() || t->Interval() <= 0 || t->due > limit) continue;
      if (!next || t->due < next->due || (t->due == next->due && t->order < next->order)) next = t;
    }
    if (!next) break;
    const std::int64_t due = next->due;
    clock_.Reach(due);
    TickStats& stats = StatsFor(*next);
    ++stats.delivered;
    stats.maxLateMs = std::max(stats.maxLateMs, clock_.Now() - due);
    next->inTick = true;
    next->rearmed = false;
    Dispatch([&] {
      if (next->Tick) next->Tick();
      return true;
    });
    if (!IsLive(next)) continue;  // its window was unloaded by the tick
    next->inTick = false;
    if (next->Enabled() && !next->rearmed) {
      // The next tick falls due one period after this one; a tick that comes late is
      // delivered once and the count starts again from its return, never catching up.
      const std::int64_t returned = clock_.Now();
      next->due = due + next->Interval();
      if (next->due <= returned) {
        StatsFor(*next).dropped += static_cast<std::uint64_t>((returned - due) / next->Interval());
        next->due = returned + next->Interval();
      }
    }
  }
  clock_.Reach(limit);
}

}  // namespace quendar
