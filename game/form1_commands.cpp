// The menu commands and the two sound cues.
#include "elements/basics.h"
#include "game/form1.h"

namespace quendar {

void Form1::owaru_Click() {
  Timer1->SetEnabled(false);
  Timer2->SetEnabled(false);
  Timer3->SetEnabled(false);
  ShowFinalScore();
}

void Form1::ShowFinalScore() {
  Label7->BackStyle = 1;
  Label7->BackColor = PaletteColor(15);
  Label7->ForeColor = PaletteColor(12);
  Label7->Caption = NumberText(score);
  runtime().study().Ended();
}

void Form1::tojiru_Click() {
  runtime().Unload(*this);
}

void Form1::PlayCorrectSound() {
  runtime().sound().Play("seikai2.wav");
}

void Form1::PlayWrongSound() {
  runtime().sound().Play("matigai.wav");
}

}  // namespace quendar
