// The bonus gauge: fills one cell every half second and sets the worth of a match.
#include "elements/basics.h"
#include "game/form1.h"

namespace quendar {

void Form1::Timer3_Timer() {
  Label10->Visible = false;
  const int level = bonusLevel;
  for (int i = 0; i <= level; ++i)
    Label9[static_cast<std::size_t>(i)]->BackColor = PaletteColor(14);
  bonusLevel = static_cast<std::int16_t>(bonusLevel + 1);
  if (bonusLevel > 10) {
    bonusLevel = 0;
    for (Label* cell : Label9)
      cell->BackColor = PaletteColor(15);
  }
  Label10->Caption = NumberText(2 * bonusLevel);
  Label10->Left = Label9[static_cast<std::size_t>(bonusLevel)]->Left - 300;
}

}  // namespace quendar
