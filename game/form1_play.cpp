// Play: the fall tick, aiming and firing, and the flight tick that judges a shot.
#include "elements/basics.h"
#include "elements/keys.h"
#include "game/form1.h"

namespace quendar {

namespace {
constexpr int kMatchPointsPerLevel = 2, kRoundClearBonus = 200, kMissPenalty = 5,
              kBottomPenalty = 100, kPointsPerBadge = 500, kMaxBadges = 20;
}  // namespace

void Form1::AddScore(int delta) {
  // The score saturates at the ends of its 16-bit range instead of wrapping round.
  score = Saturate16(static_cast<long>(score) + delta);
}

void Form1::ShowScore() {
  Label4->Caption = NumberText(score);
}

void Form1::Timer1_Timer() {
  Random& rnd = runtime().random();
  do {
    rnd.Reseed();
    fallCol = static_cast<std::int16_t>(Floor(rnd.Unit() * static_cast<float>(kSlots)));
  } while (columnDone[static_cast<std::size_t>(fallCol)] != 0);

  Label& falling = *Label1[static_cast<std::size_t>(fallCol)];
  falling.Top = falling.Top + kFallStep;
  if (falling.Top > kBottomLine) {
    AddScore(-kBottomPenalty);
    ShowScore();
    Timer2->SetEnabled(false);
    Timer1->SetEnabled(false);
    NewRound();
  }

  targetTick = Saturate16(targetTick + 1);
  if (targetTick > kTargetTicks) {
    do {
      rnd.Reseed();
      targetCol = static_cast<std::int16_t>(Floor(rnd.Unit() * static_cast<float>(kSlots)));
    } while (columnDone[static_cast<std::size_t>(targetCol)] != 0);
    for (Label* block : Label1)
      if (block->Enabled) block->BackColor = PaletteColor(15);
    Label1[static_cast<std::size_t>(targetCol)]->BackColor = PaletteColor(14);
    targetTick = 0;
    runtime().study().Targeted(targetCol);
  }

  const Label& target = *Label1[static_cast<std::size_t>(targetCol)];
  targetTop = CInt16(target.Top);
  targetLeft = CInt16(target.Left);
}

void Form1::Form_KeyDown(std::int16_t keyCode, std::int16_t /*shift*/) {
  Label8[static_cast<std::size_t>(cursorCol)]->Visible = false;
  Picture2->Visible = false;
  Picture3->Visible = false;
  if (keyCode == KeyCode::kRight) {
    cursorCol = static_cast<std::int16_t>(cursorCol + 1);
    if (cursorCol >= 7) cursorCol = 7;
    Label8[static_cast<std::size_t>(cursorCol)]->Visible = true;
  }
  if (keyCode == KeyCode::kLeft) {
    cursorCol = static_cast<std::int16_t>(cursorCol - 1);
    if (cursorCol <= 0) cursorCol = 0;
    Label8[static_cast<std::size_t>(cursorCol)]->Visible = true;
  }
  Label8[static_cast<std::size_t>(cursorCol)]->Visible = true;
  if (keyCode == KeyCode::kUp || keyCode == KeyCode::kDown || keyCode == KeyCode::kEnter) {
    // A matched block is out of play: firing it again would list its compound twice and
    // could clear a round with fewer than eight compounds. A click on it does nothing
    // either, since it is disabled.
    if (Label2[static_cast<std::size_t>(cursorCol)]->Enabled) Fire(cursorCol);
  }
}

void Form1::Label2_Click(int index) {
  Fire(index);
  Picture2->Visible = false;
  Picture3->Visible = false;
}

void Form1::Fire(int slot) {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(true);
  const Label& block = *Label2[static_cast<std::size_t>(slot)];
  shotTop = CInt16(block.Top);
  shotLeft = CInt16(block.Left);
  // 16-bit difference, divided in double precision, rounded half to even.
  const std::int16_t dTop = Saturate16(static_cast<long>(shotTop) - targetTop);
  const std::int16_t dLeft = Saturate16(static_cast<long>(shotLeft) - targetLeft);
  stepTop = CInt16(static_cast<double>(dTop) / kFlightSteps);
  stepLeft = CInt16(static_cast<double>(dLeft) / kFlightSteps);
  shotCol = static_cast<std::int16_t>(slot);
}

void Form1::Timer2_Timer() {
  Label& shot = *Label2[static_cast<std::size_t>(shotCol)];
  const Label& target = *Label1[static_cast<std::size_t>(targetCol)];
  shot.Top = shot.Top - static_cast<float>(stepTop);
  shot.Left = shot.Left - static_cast<float>(stepLeft);
  if (!(shot.Top < target.Top)) return;

  shot.Top = target.Top + kBlockSize;
  shot.Left = target.Left;
  runtime().study().Judged(targetCol, shotCol == targetCol);
  if (shotCol == targetCol) {
    Match(shotCol);
  } else {
    Miss();
  }
  Timer2->SetEnabled(false);
  // A round clear that ended the game leaves everything standing still.
  if (!gameOver) Timer1->SetEnabled(true);
}

void Form1::Match(int slot) {
  const auto s = static_cast<std::size_t>(slot);
  Label& top = *Label1[s];
  Label& bottom = *Label2[s];
  bottom.ForeColor = PaletteColor(15);
  top.ForeColor = PaletteColor(15);
  bottom.BackColor = PaletteColor(10);
  top.BackColor = PaletteColor(10);
  bottom.Width = top.Width;
  // The pair shrinks to nothing within this tick; only the end state is ever painted.
  for (int k = 1; k <= 10; ++k) {
    const int w = kBlockSize - 65 * k;
    top.Top = static_cast<float>(top.Top + kBlockSize - 65 * k);
    top.Left = static_cast<float>(static_cast<double>(top.Left) + 325 - 32.5);
    top.Width = static_cast<float>(w);
    top.Height = static_cast<float>(w);
    bottom.Left = static_cast<float>(static_cast<double>(top.Left) + 325 - 32.5);
    bottom.Width = static_cast<float>(w);
    bottom.Height = static_cast<float>(w);
  }
  bottom.Enabled = false;
  Label1[static_cast<std::size_t>(targetCol)]->Enabled = false;

  Label11->Caption = Label11->Caption + "\r\n" + top.Caption + bottom.Caption;
  columnDone[s] = 1;
  hitsInRound = Saturate16(hitsInRound + 1);
  AddScore(kMatchPointsPerLevel * bonusLevel);

  Picture2->Visible = true;
  PlayCorrectSound();

  for (int i = 1; i <= kMaxBadges; ++i)
    Picture1[static_cast<std::size_t>(i)]->Visible = false;
  badgeCount = static_cast<std::int16_t>(score / kPointsPerBadge);
  if (badgeCount > kMaxBadges) badgeCount = kMaxBadges;
  for (int i = 1; i <= badgeCount; ++i)
    Picture1[static_cast<std::size_t>(i)]->Visible = true;

  Label10->Visible = true;
  ShowScore();

  if (hitsInRound == kSlots) {
    AddScore(kRoundClearBonus);
    ShowScore();
    Timer1->SetEnabled(false);
    NewRound();
    Timer2->SetEnabled(false);
    Label11->Caption = "";
  }
}

void Form1::Miss() {
  PlayWrongSound();
  Picture3->Visible = true;
  Label& shot = *Label2[static_cast<std::size_t>(shotCol)];
  shot.Top = shotTop;
  shot.Left = shotLeft;
  AddScore(-kMissPenalty);
  ShowScore();
}

}  // namespace quendar
