// The opening animation tick by tick on the virtual clock, and the hand-over.
#include <gtest/gtest.h>

#include "opening/cright.h"
#include "tests/harness.h"

namespace quendar {
namespace {

using test::Program;
using test::SampleWords;

cright& Opening(Program& p) {
  return static_cast<cright&>(*p.rt().Get("cright"));
}

int VisibleBall(cright& c) {
  int found = -1;
  for (int i = 0; i < 12; ++i)
    if (c.Picture8[static_cast<std::size_t>(i)]->Visible) {
      EXPECT_EQ(found, -1) << "two balls visible";
      found = i;
    }
  return found;
}

TEST(Opening, LoadHidesBallsAndMasksEveryFootprint) {
  Program p(SampleWords(24), 1, "cright");
  cright& c = Opening(p);
  EXPECT_EQ(c.Caption, "オープニング");
  EXPECT_EQ(c.animStep, 0);
  EXPECT_EQ(VisibleBall(c), -1);
  for (PictureBox* m : c.Picture1)
    EXPECT_TRUE(m->Visible);
  EXPECT_TRUE(c.Picture2->Visible);
  EXPECT_EQ(p.rt().Get("Form1"), nullptr);
  EXPECT_EQ(p.rt().Active(), &c);
}

TEST(Opening, TimelineTickByTick) {
  Program p(SampleWords(24), 1, "cright");
  cright& c = Opening(p);
  // Nominal tick times and the interval each tick sets.
  const std::int64_t times[12] = {50, 100, 150, 201, 254, 309, 367, 429, 495, 566, 643, 726};
  const int intervals[12] = {50, 50, 51, 53, 55, 58, 62, 66, 71, 77, 83, 90};
  for (int k = 0; k < 12; ++k) {
    p.Wait(times[k] - 1 - p.rt().Now());
    EXPECT_EQ(c.animStep, k) << "before tick " << k + 1;
    p.Wait(1);
    EXPECT_EQ(VisibleBall(c), k) << "tick " << k + 1;
    EXPECT_FALSE(c.Picture1[static_cast<std::size_t>(k)]->Visible);
    if (k + 1 < 12) {
      EXPECT_TRUE(c.Picture1[static_cast<std::size_t>(k + 1)]->Visible);
    }
    EXPECT_EQ(c.Timer1->Interval(), intervals[k]);
    EXPECT_EQ(c.Picture2->Visible, k < 11) << "the slogan shows with the Earth";
    EXPECT_EQ(c.animStep, k < 11 ? k + 1 : 13);  // tick 12 steps by two
  }
  // The hold: fourteen ticks of 90 ms that change nothing on screen.
  p.Wait(1985 - 726);
  ASSERT_NE(p.rt().Get("cright"), nullptr);
  EXPECT_EQ(c.animStep, 26);
  EXPECT_EQ(VisibleBall(c), 11);
  EXPECT_EQ(p.rt().Get("Form1"), nullptr);
  p.Wait(1);  // 1986 ms: the hand-over
  EXPECT_EQ(p.rt().Get("cright"), nullptr);
  ASSERT_NE(p.rt().Get("Form1"), nullptr);
  Form1& f = p.form();
  EXPECT_EQ(p.rt().Active(), &f);
  EXPECT_TRUE(f.Visible);
  EXPECT_EQ(f.roundNo, 1);
  // The first fall tick comes 10 ms after the hand-over, the first gauge tick 500 ms after.
  p.Wait(9);
  EXPECT_EQ(f.targetTick, 0);
  p.Wait(1);
  EXPECT_EQ(f.targetTick, 1);
  p.Wait(489);
  EXPECT_EQ(f.bonusLevel, 0);
  p.Wait(1);
  EXPECT_EQ(f.bonusLevel, 1);
}

TEST(Opening, ClosingBeforeTheHandOverEndsTheProgram) {
  Program p(SampleWords(24), 1, "cright");
  p.Wait(700);
  EXPECT_TRUE(p.rt().Close());
  EXPECT_TRUE(p.rt().Exited());
  p.Wait(3000);
  EXPECT_EQ(p.rt().Get("Form1"), nullptr);
  EXPECT_FALSE(p.rt().fatal().has_value());
}

TEST(Opening, KeysAndMenusDoNothing) {
  Program p(SampleWords(24), 1, "cright");
  p.rt().Key(38);
  EXPECT_FALSE(p.rt().Menu("owaru"));
  p.Wait(1986);
  EXPECT_EQ(p.form().cursorCol, 0);
  EXPECT_FALSE(p.form().Timer2->Enabled());
}

TEST(Opening, HandOverWithoutAWordListIsFatal) {
  Program p({}, 1, "cright", false);
  EXPECT_TRUE(p.started());
  p.Wait(1986);
  ASSERT_TRUE(p.rt().fatal().has_value());
  EXPECT_NE(p.rt().fatal()->find("jyukugo.dat"), std::string::npos);
  EXPECT_TRUE(p.rt().Exited());
}

}  // namespace
}  // namespace quendar
