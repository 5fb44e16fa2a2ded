// The main window: the whole game screen, its state and its handlers.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "elements/runtime.h"
#include "elements/window.h"

namespace quendar {

class Form1 : public Window {
 public:
  explicit Form1(Runtime& runtime);

  // Compounds dealt per round: one slot each, a top and a bottom block.
  static constexpr int kSlots = 8;
  // Word list limits: the arrays hold entries 1..2000.
  static constexpr int kMaxWords = 2000;
  static constexpr const char* kWordFile = "jyukugo.dat";

  // Playing-field geometry, in board units.
  static constexpr int kBlockSize = 650;
  static constexpr int kColumnPitch = 930;
  static constexpr int kBlockLeft0 = 380;
  static constexpr int kMarkerLeft0 = 570;
  static constexpr int kTopRowTop = 100;
  static constexpr int kBottomRowTop = 7800;
  static constexpr int kMarkerTop = 7400;
  static constexpr int kFallStep = 10;
  static constexpr int kBottomLine = 7500;
  static constexpr int kFlightSteps = 10;
  static constexpr int kTargetTicks = 200;

  // Events.
  void Form_Load() override;
  void Form_KeyDown(std::int16_t keyCode, std::int16_t shift) override;
  std::string StateProblem() const override;

  void Timer1_Timer();
  void Timer2_Timer();
  void Timer3_Timer();
  void Label2_Click(int index);
  void owaru_Click();
  void tojiru_Click();

  // Game state, window-level, all 16-bit.
  std::int16_t score = 0, roundNo = 0, hitsInRound = 0, cursorCol = 0, targetCol = 0,
               targetTick = 0, fallCol = 0, targetTop = 0, targetLeft = 0, shotCol = 0, shotTop = 0,
               shotLeft = 0, stepTop = 0, stepLeft = 0, bonusLevel = 0, badgeCount = 0,
               wordCount = 0, pickIndex = 0, pickCol = 0;
  std::array<std::int16_t, 11> columnOrder{};
  std::array<std::int16_t, 11> columnDone{};
  std::vector<std::string> wordLines, firstChars, secondChars;  // 0..kMaxWords
  std::vector<std::int16_t> wordUsed;
  // Set by NewRound when it found no round to deal, so the flight tick leaves the fall
  // timer stopped.
  bool gameOver = false;

  // Elements, by design name.
  std::array<Label*, kSlots> Label1{}, Label2{}, Label8{};
  std::array<Label*, 11> Label9{};
  Label *Label3 = nullptr, *Label4 = nullptr, *Label5 = nullptr, *Label6 = nullptr,
        *Label7 = nullptr, *Label10 = nullptr, *Label11 = nullptr;
  std::array<PictureBox*, 21> Picture1{};  // 1..20; there is no member 0
  PictureBox *Picture2 = nullptr, *Picture3 = nullptr;
  Timer *Timer1 = nullptr, *Timer2 = nullptr, *Timer3 = nullptr;

 private:
  int wordsRead_ = 0;  // lines read at load, which play never changes

  void BuildDesign();
  void NewRound();
  void Fire(int slot);
  void Match(int s);
  void Miss();
  void ShowScore();
  // The large panel with the score, at game over and by the end command.
  void ShowFinalScore();
  void AddScore(int delta);
  void PlayCorrectSound();
  void PlayWrongSound();
};

}  // namespace quendar
