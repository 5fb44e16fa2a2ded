// The main game driven through the engine's entry points on the virtual clock: deal,
// fall, target, firing, flight, matches and misses, gauge, end and close.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "elements/basics.h"
#include "elements/keys.h"
#include "tests/harness.h"

namespace quendar {
namespace {

using test::Program;
using test::SampleWords;

using namespace KeyCode;
constexpr int kSpace = 32;

std::string Compound(Form1& f, std::size_t slot) {
  return f.Label1[slot]->Caption + f.Label2[slot]->Caption;
}

int VisibleMarkers(Form1& f) {
  return static_cast<int>(
      std::count_if(f.Label8.begin(), f.Label8.end(), [](Label* l) { return l->Visible; }));
}

// Puts the cursor on `col` with arrow keys, as a player would.
void MoveCursorTo(Program& p, int col) {
  while (p.form().cursorCol < col)
    p.rt().Key(kRight);
  while (p.form().cursorCol > col)
    p.rt().Key(kLeft);
}

TEST(Deal, FirstRoundIsEightFreshCompoundsInShuffledColumns) {
  Program p(SampleWords(40));
  Form1& f = p.form();
  EXPECT_EQ(f.roundNo, 1);
  EXPECT_EQ(f.Label3->Caption, "1");
  EXPECT_EQ(f.wordCount, 40);
  EXPECT_EQ(f.Label4->Caption, "");
  std::set<int> columns(f.columnOrder.begin(), f.columnOrder.begin() + 8);
  EXPECT_EQ(columns, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}));
  std::set<std::string> dealt;
  for (std::size_t i = 0; i < 8; ++i) {
    dealt.insert(Compound(f, i));
    EXPECT_FLOAT_EQ(f.Label1[i]->Left, f.columnOrder[i] * 930 + 380);
    EXPECT_FLOAT_EQ(f.Label1[i]->Top, 100);
    EXPECT_FLOAT_EQ(f.Label2[i]->Left, static_cast<float>(i * 930 + 380));
    EXPECT_FLOAT_EQ(f.Label2[i]->Top, 7800);
    EXPECT_FLOAT_EQ(f.Label2[i]->Width, 650);
    EXPECT_EQ(f.Label1[i]->BackColor, 0xFFFFFFu);
  }
  EXPECT_EQ(dealt.size(), 8u);
  const auto words = SampleWords(40);
  for (const auto& c : dealt)
    EXPECT_NE(std::find(words.begin(), words.end(), c), words.end());
  EXPECT_EQ(std::count(f.wordUsed.begin(), f.wordUsed.end(), 1), 8);
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer2->Enabled());
  EXPECT_TRUE(f.Timer3->Enabled());
  EXPECT_EQ(VisibleMarkers(f), 1);
  EXPECT_TRUE(f.Label8[0]->Visible);
}

TEST(Deal, TooShortAListEndsTheGameAtOnce) {
  for (int n : {0, 7}) {
    Program p(SampleWords(n));
    Form1& f = p.form();
    EXPECT_EQ(f.Label3->Caption, "1");
    EXPECT_EQ(f.Label7->Caption, "0");
    EXPECT_EQ(f.Label7->BackStyle, 1);
    EXPECT_EQ(f.Label7->BackColor, 0xFFFFFFu);
    EXPECT_EQ(f.Label7->ForeColor, 0xFF0000u);
    EXPECT_FALSE(f.Enabled);
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_EQ(f.Label1[3]->Caption, "漢");
    EXPECT_EQ(f.Label2[3]->Caption, "字");
    EXPECT_FLOAT_EQ(f.Label1[3]->Left, 3 * 930 + 380);
    EXPECT_FLOAT_EQ(f.Label1[3]->Width, 650);
    // The game over stops the fall for good; the gauge keeps cycling.
    p.Wait(2000);
    EXPECT_FLOAT_EQ(f.Label1[3]->Top, 100);
    EXPECT_EQ(f.bonusLevel, 4);
  }
}

TEST(Deal, PenaltiesDealFreshCompoundsUntilTheListRunsOut) {
  // 16 compounds make two rounds; 15 make one and leave seven undealt.
  for (int n : {16, 15}) {
    Program p(SampleWords(n), 3);
    Form1& f = p.form();
    std::set<std::string> seen;
    for (std::size_t i = 0; i < 8; ++i)
      seen.insert(Compound(f, i));
    const int rounds = n / 8;
    for (int r = 1; r < rounds; ++r) {
      ASSERT_TRUE(p.WaitUntil([&] { return f.roundNo == r + 1; }, 200000));
      for (std::size_t i = 0; i < 8; ++i)
        EXPECT_TRUE(seen.insert(Compound(f, i)).second);
    }
    ASSERT_TRUE(p.WaitUntil([&] { return !f.Enabled; }, 200000));
    EXPECT_EQ(f.Label3->Caption, std::to_string(rounds + 1));
    EXPECT_EQ(f.score, -100 * rounds);
    EXPECT_EQ(f.Label7->Caption, std::to_string(-100 * rounds));
    EXPECT_FALSE(f.Timer1->Enabled());
    EXPECT_FALSE(f.Timer2->Enabled());
    EXPECT_EQ(std::count(f.wordUsed.begin(), f.wordUsed.end(), 1), 8 * rounds);
  }
}

TEST(Fall, OneRandomBlockFallsTenPerTickAndTargetsChangeEvery201Ticks) {
  Program p(SampleWords(24));
  Form1& f = p.form();
  p.Wait(10);
  float moved = 0;
  for (std::size_t i = 0; i < 8; ++i)
    moved += f.Label1[i]->Top - 100;
  EXPECT_FLOAT_EQ(moved, 10);
  EXPECT_FLOAT_EQ(f.Label1[static_cast<std::size_t>(f.fallCol)]->Top, 110);
  // Ticks 1 to 200 only count; the 201st paints the first target.
  p.Wait(1990);
  EXPECT_EQ(f.targetTick, 200);
  for (Label* l : f.Label1)
    EXPECT_EQ(l->BackColor, 0xFFFFFFu);
  // Slot 0 is the target before the first change, though nothing is yellow yet.
  EXPECT_EQ(f.targetCol, 0);
  EXPECT_EQ(f.targetTop, static_cast<int>(f.Label1[0]->Top));
  p.Wait(10);
  EXPECT_EQ(f.targetTick, 0);
  int yellow = 0;
  for (Label* l : f.Label1)
    yellow += l->BackColor == 0xFFFF00u;
  EXPECT_EQ(yellow, 1);
  const Label& target = *f.Label1[static_cast<std::size_t>(f.targetCol)];
  EXPECT_EQ(target.BackColor, 0xFFFF00u);
  EXPECT_EQ(f.targetTop, static_cast<int>(target.Top));
  EXPECT_EQ(f.targetLeft, static_cast<int>(target.Left));
}

TEST(Fall, BlockAt7500StaysAndAt7510CostsHundredAndRestartsTheRound) {
  Program p(SampleWords(40));
  Form1& f = p.form();
  const int slot = 3;
  for (std::size_t i = 0; i < 8; ++i)
    f.columnDone[i] = i == slot ? 0 : 1;
  f.Label11->Caption = "\r\n山川";
  const std::int16_t before = f.score;
  f.Label1[slot]->Top = 7490;
  p.Wait(10);
  EXPECT_FLOAT_EQ(f.Label1[slot]->Top, 7500);
  EXPECT_EQ(f.roundNo, 1);
  p.Wait(10);
  EXPECT_EQ(f.roundNo, 2);
  EXPECT_EQ(f.score, before - 100);
  EXPECT_EQ(f.Label4->Caption, std::to_string(before - 100));
  EXPECT_EQ(f.Label11->Caption, "\r\n山川");  // a penalty keeps the list
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_FLOAT_EQ(f.Label1[slot]->Top, 100);
  EXPECT_TRUE(p.sounds().empty());  // no sound for the penalty
}

TEST(Aim, ArrowsClampAndOnlyFireKeysFire) {
  Program p(SampleWords(24));
  Form1& f = p.form();
  p.rt().Key(kLeft);
  EXPECT_EQ(f.cursorCol, 0);
  EXPECT_TRUE(f.Label8[0]->Visible);
  for (int i = 0; i < 10; ++i)
    p.rt().Key(kRight);
  EXPECT_EQ(f.cursorCol, 7);
  EXPECT_EQ(VisibleMarkers(f), 1);
  EXPECT_TRUE(f.Label8[7]->Visible);
  f.Picture3->Visible = true;
  p.rt().Key(kSpace);
  EXPECT_FALSE(f.Picture3->Visible);
  EXPECT_EQ(f.cursorCol, 7);
  EXPECT_FALSE(f.Timer2->Enabled());
  for (int key : {kUp, kDown, kEnter}) {
    f.Timer2->SetEnabled(false);
    f.Timer1->SetEnabled(true);
    p.rt().Key(key);
    EXPECT_TRUE(f.Timer2->Enabled()) << key;
    EXPECT_FALSE(f.Timer1->Enabled()) << key;
    EXPECT_EQ(f.shotCol, 7);
    EXPECT_EQ(f.cursorCol, 7);
  }
}

TEST(Aim, StepsAreTenthsOfTheDistanceRoundedHalfToEven) {
  Program p(SampleWords(24));
  Form1& f = p.form();
  struct Case {
    std::int16_t targetTop, targetLeft, stepTop, stepLeft;
  } cases[] = {{100, 380, 770, 0}, {95, 505, 770, -12}, {85, 5030, 772, -465}, {7796, 376, 0, 0}};
  for (const auto& c : cases) {
    f.targetTop = c.targetTop;
    f.targetLeft = c.targetLeft;
    p.rt().Key(kUp);
    EXPECT_EQ(f.shotTop, 7800);
    EXPECT_EQ(f.shotLeft, 380);
    EXPECT_EQ(f.stepTop, c.stepTop) << c.targetTop;
    EXPECT_EQ(f.stepLeft, c.stepLeft) << c.targetLeft;
    f.Label2[0]->Top = 7800;
    f.Label2[0]->Left = 380;
  }
}

TEST(Aim, ClickFiresTheClickedBlockAndLeavesTheCursor) {
  Program p(SampleWords(24));
  Form1& f = p.form();
  MoveCursorTo(p, 5);
  f.Picture2->Visible = true;
  EXPECT_TRUE(p.rt().Click("Label2", 2));
  EXPECT_EQ(f.shotCol, 2);
  EXPECT_EQ(f.cursorCol, 5);
  EXPECT_TRUE(f.Label8[5]->Visible);
  EXPECT_FALSE(f.Picture2->Visible);
  EXPECT_TRUE(f.Timer2->Enabled());
}

struct Shot {
  std::int64_t arrivedAfterMs;
  float t0, l0;  // target position at arrival
};

// Fires the block of `slot` by key and waits tick by tick for the shot to be judged.
Shot FireAndWait(Program& p, int slot) {
  Form1& f = p.form();
  MoveCursorTo(p, slot);
  const float t0 = f.Label1[static_cast<std::size_t>(f.targetCol)]->Top;
  const float l0 = f.Label1[static_cast<std::size_t>(f.targetCol)]->Left;
  p.rt().Key(kUp);
  std::int64_t waited = 0;
  while (f.Timer2->Enabled() && waited < 5000) {
    p.Wait(50);
    waited += 50;
  }
  return {waited, t0, l0};
}

TEST(Flight, MatchArrivesOnTheEleventhTickAndScoresTwiceTheGauge) {
  Program p(SampleWords(40), 5);
  Form1& f = p.form();
  p.Wait(2010);  // first target chosen at the 201st fall tick
  const int slot = f.targetCol;
  const std::string compound = Compound(f, static_cast<std::size_t>(slot));
  const Shot s = FireAndWait(p, slot);
  EXPECT_EQ(s.arrivedAfterMs, 550);
  const int level = f.bonusLevel;  // the worth at arrival counts, not at firing
  const auto i = static_cast<std::size_t>(slot);
  EXPECT_EQ(f.score, 2 * level);
  EXPECT_EQ(f.Label4->Caption, std::to_string(2 * level));
  EXPECT_EQ(f.Label11->Caption, "\r\n" + compound);
  EXPECT_EQ(f.columnDone[i], 1);
  EXPECT_EQ(f.hitsInRound, 1);
  EXPECT_TRUE(f.Picture2->Visible);
  EXPECT_TRUE(f.Label10->Visible);
  ASSERT_EQ(p.sounds().size(), 1u);
  EXPECT_EQ(p.sounds()[0].file, "seikai2.wav");
  // The pair ends shrunk to nothing at the end positions of the shrink.
  EXPECT_FLOAT_EQ(f.Label1[i]->Top, s.t0 + 2925);
  EXPECT_FLOAT_EQ(f.Label1[i]->Left, s.l0 + 2925);
  EXPECT_FLOAT_EQ(f.Label2[i]->Left, s.l0 + 3217.5f);
  EXPECT_FLOAT_EQ(f.Label2[i]->Top, s.t0 + 650);
  EXPECT_FLOAT_EQ(f.Label1[i]->Width, 0);
  EXPECT_FLOAT_EQ(f.Label2[i]->Height, 0);
  EXPECT_FALSE(f.Label1[i]->Enabled);
  EXPECT_FALSE(f.Label2[i]->Enabled);
  EXPECT_EQ(f.Label2[i]->BackColor, 0x00FF00u);
  EXPECT_EQ(f.Label1[i]->ForeColor, 0xFFFFFFu);
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer2->Enabled());
}

TEST(Flight, MissReturnsTheBlockAndCostsFive) {
  Program p(SampleWords(40), 6);
  Form1& f = p.form();
  p.Wait(2010);
  const int other = (f.targetCol + 1) % 8;
  const Shot s = FireAndWait(p, other);
  EXPECT_EQ(s.arrivedAfterMs, 550);
  const auto i = static_cast<std::size_t>(other);
  EXPECT_EQ(f.score, -5);
  EXPECT_EQ(f.Label4->Caption, "-5");
  EXPECT_FLOAT_EQ(f.Label2[i]->Top, 7800);
  EXPECT_FLOAT_EQ(f.Label2[i]->Left, static_cast<float>(other * 930 + 380));
  EXPECT_TRUE(f.Picture3->Visible);
  EXPECT_FALSE(f.Picture2->Visible);
  ASSERT_EQ(p.sounds().size(), 1u);
  EXPECT_EQ(p.sounds()[0].file, "matigai.wav");
  EXPECT_TRUE(f.Timer1->Enabled());
  p.rt().Key(kSpace);  // any key hides the mark
  EXPECT_FALSE(f.Picture3->Visible);
}

TEST(Flight, EighthMatchAddsTheRoundBonusAndDealsAgain) {
  Program p(SampleWords(40), 7);
  Form1& f = p.form();
  p.Wait(2010);
  f.hitsInRound = 7;
  f.bonusLevel = 10;
  f.Timer3->SetEnabled(false);  // hold the gauge at 10
  FireAndWait(p, f.targetCol);
  EXPECT_EQ(f.score, 220);
  EXPECT_EQ(f.Label4->Caption, "220");
  EXPECT_EQ(f.Label11->Caption, "");
  EXPECT_EQ(f.roundNo, 2);
  EXPECT_EQ(f.hitsInRound, 0);
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer2->Enabled());
  for (std::size_t i = 0; i < 8; ++i)
    EXPECT_TRUE(f.Label2[i]->Enabled);
}

TEST(Flight, EighthMatchOfTheLastRoundEndsTheGameWithTheBonusCounted) {
  Program p(SampleWords(8), 8);
  Form1& f = p.form();
  p.Wait(2010);
  f.hitsInRound = 7;
  FireAndWait(p, f.targetCol);
  EXPECT_FALSE(f.Enabled);
  EXPECT_EQ(f.Label7->Caption, std::to_string(f.score));
  EXPECT_GE(f.score, 200);
  EXPECT_EQ(f.Label11->Caption, "");
  EXPECT_FALSE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer2->Enabled());
  EXPECT_FALSE(p.rt().Menu("owaru"));  // a disabled window's menu takes no clicks
  EXPECT_TRUE(p.rt().Close());         // but its frame's close button still ends the game
  EXPECT_TRUE(p.rt().Exited());
}

TEST(Flight, BadgesFollowTheScoreOnAMatch) {
  struct Case {
    std::int16_t before;
    int badges;
  } cases[] = {{498, 1}, {497, 0}, {10497, 20}, {11998, 20}, {-902, 0}};
  for (const auto& c : cases) {
    Program p(SampleWords(40), 9);
    Form1& f = p.form();
    p.Wait(2010);
    f.score = c.before;
    f.bonusLevel = 1;
    f.Timer3->SetEnabled(false);
    FireAndWait(p, f.targetCol);
    EXPECT_EQ(f.score, c.before + 2);
    EXPECT_EQ(f.badgeCount, std::min(20, (c.before + 2) / 500));  // truncates towards zero
    for (std::size_t i = 1; i <= 20; ++i)
      EXPECT_EQ(f.Picture1[i]->Visible, static_cast<int>(i) <= c.badges) << c.before << " " << i;
  }
}

TEST(Flight, ScoreSaturatesAtBothEndsOfItsRange) {
  Program p(SampleWords(40), 10);
  Form1& f = p.form();
  p.Wait(2010);
  f.score = 32760;
  f.bonusLevel = 10;
  f.Timer3->SetEnabled(false);
  FireAndWait(p, f.targetCol);
  EXPECT_EQ(f.score, 32767);
  EXPECT_EQ(f.Label4->Caption, "32767");
  f.score = -32766;
  FireAndWait(p, (f.targetCol + 1) % 8 == f.targetCol ? 0 : (f.targetCol + 1) % 8);
  EXPECT_EQ(f.score, -32768);
}

TEST(Flight, AMatchedBlockUnderTheCursorCannotBeFiredAgain) {
  Program p(SampleWords(40), 11);
  Form1& f = p.form();
  p.Wait(2010);
  const int slot = f.targetCol;
  FireAndWait(p, slot);
  ASSERT_EQ(f.hitsInRound, 1);
  const auto soundsBefore = p.sounds().size();
  p.rt().Key(kUp);
  EXPECT_FALSE(f.Timer2->Enabled());
  EXPECT_TRUE(f.Timer1->Enabled());
  p.Wait(600);
  EXPECT_EQ(f.hitsInRound, 1);
  EXPECT_EQ(p.sounds().size(), soundsBefore);
  EXPECT_FALSE(p.rt().Click("Label2", slot));  // disabled: no click either
}

TEST(Flight, StepOfZeroHoversUntilAnotherBlockIsFired) {
  Program p(SampleWords(40), 12);
  Form1& f = p.form();
  p.Wait(2010);
  const int other = (f.targetCol + 1) % 8;
  f.targetTop = 7797;  // three units above the block: a vertical step of 0
  MoveCursorTo(p, other);
  p.rt().Key(kUp);
  p.Wait(1000);
  EXPECT_TRUE(f.Timer2->Enabled());
  EXPECT_FALSE(f.Timer1->Enabled());
  EXPECT_TRUE(p.sounds().empty());
}

TEST(EndCommand, FreezesEverythingMidFlightAndPlayCanGoOn) {
  Program p(SampleWords(40), 13);
  Form1& f = p.form();
  p.Wait(2010);
  f.score = -40;
  MoveCursorTo(p, f.targetCol);
  p.rt().Key(kUp);
  p.Wait(200);
  const float top = f.Label2[static_cast<std::size_t>(f.targetCol)]->Top;
  const auto shot = std::make_tuple(f.shotCol, f.shotTop, f.stepTop);
  EXPECT_TRUE(p.rt().Menu("owaru"));
  EXPECT_FALSE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer2->Enabled());
  EXPECT_FALSE(f.Timer3->Enabled());
  EXPECT_EQ(f.Label7->Caption, "-40");
  EXPECT_EQ(f.Label7->BackStyle, 1);
  EXPECT_EQ(f.Label7->ForeColor, 0xFF0000u);
  const int level = f.bonusLevel;
  p.Wait(3000);
  EXPECT_FLOAT_EQ(f.Label2[static_cast<std::size_t>(f.targetCol)]->Top, top);
  EXPECT_EQ(std::make_tuple(f.shotCol, f.shotTop, f.stepTop), shot);
  EXPECT_TRUE(f.Enabled);
  // Firing again flies and is judged; the gauge stays frozen and the pop-up stays up.
  p.rt().Key(kRight);
  p.rt().Key(kLeft);
  EXPECT_TRUE(p.rt().Click("Label2", f.targetCol));
  EXPECT_TRUE(f.Timer2->Enabled());
  p.Wait(600);
  EXPECT_FALSE(f.Timer2->Enabled());
  EXPECT_TRUE(f.Timer1->Enabled());
  EXPECT_FALSE(f.Timer3->Enabled());
  EXPECT_EQ(f.score, -40 + 2 * level);
  EXPECT_EQ(f.Label7->Caption, "-40");
  p.Wait(1000);
  EXPECT_TRUE(f.Label10->Visible);
  EXPECT_EQ(f.bonusLevel, level);
}

TEST(CloseCommand, EndsTheProgramMidFlightWithoutJudging) {
  Program p(SampleWords(40), 14);
  p.rt().Key(kUp);
  p.Wait(100);
  EXPECT_TRUE(p.rt().Menu("tojiru"));
  EXPECT_TRUE(p.rt().Exited());
  EXPECT_FALSE(p.rt().fatal().has_value());
  p.Wait(1000);
  EXPECT_TRUE(p.sounds().empty());
}

TEST(Gauge, CyclesElevenTicksAndPlacesThePopUp) {
  Program p(SampleWords(24));
  Form1& f = p.form();
  p.Wait(500);
  EXPECT_EQ(f.bonusLevel, 1);
  EXPECT_EQ(f.Label9[0]->BackColor, 0xFFFF00u);
  EXPECT_EQ(f.Label9[1]->BackColor, 0xFFFFFFu);
  EXPECT_EQ(f.Label10->Caption, "2");
  EXPECT_FLOAT_EQ(f.Label10->Left, f.Label9[1]->Left - 300);
  EXPECT_FALSE(f.Label10->Visible);
  p.Wait(9 * 500);
  EXPECT_EQ(f.bonusLevel, 10);
  EXPECT_EQ(f.Label10->Caption, "20");
  for (std::size_t i = 0; i < 11; ++i)
    EXPECT_EQ(f.Label9[i]->BackColor, i < 10 ? 0xFFFF00u : 0xFFFFFFu) << i;
  p.Wait(500);  // the wrap: from ten yellow cells straight to none
  EXPECT_EQ(f.bonusLevel, 0);
  EXPECT_EQ(f.Label10->Caption, "0");
  EXPECT_FLOAT_EQ(f.Label10->Left, f.Label9[0]->Left - 300);
  for (Label* cell : f.Label9)
    EXPECT_EQ(cell->BackColor, 0xFFFFFFu);
}

TEST(WordFile, OversizedMissingAndOddListsAtStartUp) {
  {
    // 2000 lines are read completely.
    Program p(SampleWords(2000));
    EXPECT_EQ(p.form().wordCount, 2000);
  }
  {
    Program p(SampleWords(2001));
    EXPECT_FALSE(p.started());
    ASSERT_TRUE(p.rt().fatal().has_value());
    EXPECT_NE(p.rt().fatal()->find("jyukugo.dat"), std::string::npos);
    EXPECT_NE(p.rt().fatal()->find("more than 2000"), std::string::npos);
    EXPECT_TRUE(p.rt().Exited());
  }
  {
    Program p({}, 1, "Form1", false);
    ASSERT_TRUE(p.rt().fatal().has_value());
    EXPECT_NE(p.rt().fatal()->find("jyukugo.dat"), std::string::npos);
  }
  {
    // Short and long lines: only the first two characters count; short ones deal blank.
    std::vector<std::string> words = SampleWords(7);
    words.push_back("門");
    Program p(words);
    Form1& f = p.form();
    EXPECT_EQ(f.wordCount, 8);
    EXPECT_EQ(f.secondChars[8], "");
    int blank = 0;
    for (Label* l : f.Label2)
      blank += l->Caption.empty();
    EXPECT_EQ(blank, 1);
  }
}

}  // namespace
}  // namespace quendar
