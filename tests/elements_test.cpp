// The element runtime on a virtual clock: timer delivery, windows, input routing, and
// the numeric and random services.
#include <gtest/gtest.h>

#include <set>

#include "elements/basics.h"
#include "elements/runtime.h"
#include "elements/text.h"

namespace quendar {
namespace {

// A clock whose handlers can make time pass, to model a slow handler.
class SlowClock : public Clock {
 public:
  std::int64_t Now() const override { return now; }
  void Reach(std::int64_t t) override {
    if (t > now) now = t;
  }
  std::int64_t now = 0;
};

struct Tick {
  std::string timer;
  std::int64_t t;
};

class TestWindow : public Window {
 public:
  TestWindow(Runtime& rt, const std::string& name, std::vector<Tick>& log)
      : Window(rt, name), log_(log) {
    a = &AddTimer("A", false, 10, &TestWindow::A_Timer);
    b = &AddTimer("B", false, 10, &TestWindow::B_Timer);
    label = &AddLabel("L", 0, &TestWindow::L_Click);
    label->Width = label->Height = 100;
  }
  void A_Timer() { Ticked(*a); }
  void B_Timer() { Ticked(*b); }
  void Ticked(Timer& t) {
    log_.push_back({t.name(), runtime().Now()});
    if (onTick) onTick(t);
  }
  void Form_KeyDown(std::int16_t code, std::int16_t) override { keys.push_back(code); }
  void L_Click(int index) { clicks.push_back(index); }

  Timer *a, *b;
  Label* label;
  std::function<void(Timer&)> onTick;
  std::vector<int> keys, clicks;
  std::vector<std::string> menus;

 private:
  std::vector<Tick>& log_;
};

struct Fixture {
  Fixture() : random(clock), sound(clock), rt(clock, random, sound) {
    rt.Register("W", [this](Runtime& r) { return std::make_unique<TestWindow>(r, "W", log); });
    rt.Register("V", [this](Runtime& r) { return std::make_unique<TestWindow>(r, "V", log); });
    rt.Start("W");
  }
  TestWindow& w() { return static_cast<TestWindow&>(*rt.Get("W")); }
  SlowClock clock;
  Random random;
  RecordingSound sound;
  Runtime rt;
  std::vector<Tick> log;
};

TEST(Timers, TickEveryIntervalWhileEnabledAndStopWhenDisabled) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.rt.RunTimersUntil(35);
  ASSERT_EQ(f.log.size(), 3u);
  EXPECT_EQ(f.log[0].t, 10);
  EXPECT_EQ(f.log[2].t, 30);
  f.w().a->SetEnabled(false);
  f.rt.RunTimersUntil(100);
  EXPECT_EQ(f.log.size(), 3u);
  // Switching on again counts a full interval from that moment.
  f.w().a->SetEnabled(true);
  f.rt.RunTimersUntil(109);
  EXPECT_EQ(f.log.size(), 3u);
  f.rt.RunTimersUntil(110);
  EXPECT_EQ(f.log.size(), 4u);
}

TEST(Timers, EnablingARunningTimerDoesNotRestartItsCount) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.rt.RunTimersUntil(7);
  f.w().a->SetEnabled(true);
  f.rt.RunTimersUntil(10);
  ASSERT_EQ(f.log.size(), 1u);
  EXPECT_EQ(f.log[0].t, 10);
}

TEST(Timers, IntervalChangedInsideATickAppliesToTheNextWait) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.w().onTick = [](Timer& t) { t.SetInterval(t.Interval() + 5); };
  f.rt.RunTimersUntil(100);
  ASSERT_GE(f.log.size(), 3u);
  EXPECT_EQ(f.log[0].t, 10);
  EXPECT_EQ(f.log[1].t, 25);
  EXPECT_EQ(f.log[2].t, 45);
}

TEST(Timers, SlowHandlerIsNeverCaughtUp) {
  Fixture f;
  f.w().a->SetEnabled(true);
  // The first tick takes 35 ms: the ticks due at 20, 30 and 40 are not delivered one by one.
  f.w().onTick = [&](Timer&) {
    if (f.log.size() == 1) f.clock.now += 35;
  };
  f.rt.RunTimersUntil(70);
  std::vector<std::int64_t> times;
  for (const auto& t : f.log)
    times.push_back(t.t);
  EXPECT_EQ(times, (std::vector<std::int64_t>{10, 55, 65}));
  // The record the benchmarks read: the ticks due at 20, 30 and 40 were dropped.
  ASSERT_EQ(f.rt.tickStats().size(), 1u);
  EXPECT_EQ(f.rt.tickStats()[0].first, "W.A");
  EXPECT_EQ(f.rt.tickStats()[0].second.delivered, 3u);
  EXPECT_EQ(f.rt.tickStats()[0].second.dropped, 3u);
}

TEST(Timers, TicksDueTogetherComeInCreationOrder) {
  Fixture f;
  f.w().b->SetEnabled(true);
  f.w().a->SetEnabled(true);
  f.rt.RunTimersUntil(10);
  ASSERT_EQ(f.log.size(), 2u);
  EXPECT_EQ(f.log[0].timer, "A");
  EXPECT_EQ(f.log[1].timer, "B");
}

TEST(Timers, DisabledWindowKeepsTicksButDropsInput) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.w().Enabled = false;
  EXPECT_FALSE(f.rt.Key(38));
  EXPECT_FALSE(f.rt.Click("L", 0));
  EXPECT_FALSE(f.rt.Menu("anything"));
  f.rt.RunTimersUntil(20);
  EXPECT_EQ(f.log.size(), 2u);
  EXPECT_TRUE(f.w().keys.empty());
  EXPECT_TRUE(f.w().clicks.empty());
  // The frame's close button still works, so a finished game never traps the player.
  EXPECT_TRUE(f.rt.Close());
  EXPECT_TRUE(f.rt.Exited());
}

TEST(Windows, InputReachesTheActiveWindowAndDisabledLabelsRaiseNoClick) {
  Fixture f;
  EXPECT_TRUE(f.rt.Key(13));
  EXPECT_TRUE(f.rt.Click("L", 0));
  EXPECT_TRUE(f.rt.ClickAt(2, 2));
  f.w().label->Enabled = false;
  EXPECT_FALSE(f.rt.Click("L", 0));
  EXPECT_FALSE(f.rt.ClickAt(2, 2));
  EXPECT_EQ(f.w().keys, std::vector<int>{13});
  EXPECT_EQ(f.w().clicks, (std::vector<int>{0, 0}));
}

TEST(Windows, UnloadInsideOwnTickStopsTimersAndLastWindowEndsProgram) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.w().onTick = [&](Timer&) {
    f.rt.Show("V");
    f.rt.Unload(f.w());
  };
  f.rt.RunTimersUntil(100);
  EXPECT_EQ(f.log.size(), 1u);  // the unloaded window's timer never ticks again
  EXPECT_EQ(f.rt.Get("W"), nullptr);
  ASSERT_NE(f.rt.Active(), nullptr);
  EXPECT_EQ(f.rt.Active()->name(), "V");
  EXPECT_FALSE(f.rt.Exited());
  EXPECT_TRUE(f.rt.Close());
  EXPECT_TRUE(f.rt.Exited());
  EXPECT_FALSE(f.rt.Key(13));
}

TEST(Windows, FatalErrorInAHandlerEndsTheProgramWithItsMessage) {
  Fixture f;
  f.w().a->SetEnabled(true);
  f.w().onTick = [](Timer&) { throw FatalError("jyukugo.dat: broken"); };
  f.rt.RunTimersUntil(50);
  EXPECT_TRUE(f.rt.Exited());
  ASSERT_TRUE(f.rt.fatal().has_value());
  EXPECT_EQ(*f.rt.fatal(), "jyukugo.dat: broken");
  EXPECT_EQ(f.log.size(), 1u);
}

TEST(Numbers, RoundingHalfToEvenAndSaturation) {
  EXPECT_EQ(CInt16(770.5), 770);
  EXPECT_EQ(CInt16(771.5), 772);
  EXPECT_EQ(CInt16(-12.5), -12);
  EXPECT_EQ(CInt16(-465.0), -465);
  EXPECT_EQ(CInt16(0.5), 0);
  EXPECT_EQ(CInt16(1e9), 32767);
  EXPECT_EQ(CInt16(-1e9), -32768);
  EXPECT_EQ(Saturate16(32767 + 20), 32767);
  EXPECT_EQ(Saturate16(-32768 - 5), -32768);
  EXPECT_EQ(NumberText(-105), "-105");
  EXPECT_EQ(PaletteColor(10), 0x00FF00u);
  EXPECT_EQ(PaletteColor(12), 0xFF0000u);
  EXPECT_EQ(PaletteColor(14), 0xFFFF00u);
  EXPECT_EQ(PaletteColor(15), 0xFFFFFFu);
  EXPECT_EQ(PaletteColor(0), 0x000000u);
}

TEST(RandomService, ReseedingAtOneClockReadingStillGivesFreshDraws) {
  VirtualClock clock;
  Random r(clock);
  r.Seed(42);
  std::set<float> seen;
  for (int i = 0; i < 64; ++i) {
    r.Reseed();
    const float u = r.Unit();
    EXPECT_GE(u, 0.0f);
    EXPECT_LT(u, 1.0f);
    seen.insert(u);
  }
  EXPECT_GT(seen.size(), 60u);
}

TEST(RandomService, SameSeedSameRunAndDrawsAreUniform) {
  VirtualClock c1, c2;
  Random a(c1), b(c2);
  a.Seed(7);
  b.Seed(7);
  int buckets[8] = {};
  for (int i = 0; i < 8000; ++i) {
    c1.Reach(i / 10);
    c2.Reach(i / 10);
    a.Reseed();
    b.Reseed();
    const float x = a.Unit();
    ASSERT_EQ(x, b.Unit());
    ++buckets[static_cast<int>(Floor(x * 8.0f))];
  }
  for (int n : buckets)
    EXPECT_NEAR(n, 1000, 150);
}

TEST(Text, CharAtCountsCharactersNotBytes) {
  EXPECT_EQ(CharAt("代表", 1), "代");
  EXPECT_EQ(CharAt("代表", 2), "表");
  EXPECT_EQ(CharAt("代表", 3), "");
  EXPECT_EQ(CharAt("a漢", 2), "漢");
  EXPECT_EQ(CharAt("", 1), "");
  EXPECT_EQ(CharCount("漢字ab"), 4u);
  EXPECT_EQ(FirstChars("漢字ab", 3), "漢字a");
}

TEST(Text, Utf8ValidatorRejectsMalformedInput) {
  EXPECT_TRUE(IsValidUtf8("漢字 abc"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE6\xBC"));          // cut short
  EXPECT_FALSE(IsValidUtf8("\x91\xE3"));          // Shift-JIS bytes
}

}  // namespace
}  // namespace quendar
