#include "opening/cright.h"

#include <cstdio>

#include "elements/basics.h"

namespace quendar {

namespace {

struct Box {
  float left, top, width, height;
};

// Twips, measured from the backdrop's top-left corner, which is the client area's.
constexpr Box kMasks[12] = {
    {360, 1200, 525, 400},  {840, 1440, 400, 400},  {1200, 1560, 525, 525}, {1680, 1800, 525, 400},
    {2160, 1920, 400, 400}, {2520, 2040, 525, 400}, {3000, 2040, 525, 400}, {3480, 2160, 525, 400},
    {3960, 2280, 525, 400}, {4440, 2280, 525, 400}, {4920, 2400, 400, 400}, {5400, 2520, 400, 400},
};
constexpr Box kBalls[12] = {
    {0, 720, 975, 975},     {360, 720, 975, 1095},  {840, 960, 975, 975},   {1200, 1320, 855, 855},
    {1560, 1920, 975, 975}, {2040, 1440, 975, 975}, {2520, 960, 975, 975},  {3120, 720, 975, 975},
    {3840, 720, 975, 975},  {4440, 960, 975, 975},  {5040, 1320, 975, 975}, {5400, 1920, 975, 975},
};

constexpr int kTravelSteps = 12;  // places along the trail; the last is the Earth
constexpr int kHandOverStep = 27;

void Place(PictureBox& p, Box b) {
  p.Left = b.left;
  p.Top = b.top;
  p.Width = b.width;
  p.Height = b.height;
}

}  // namespace

cright::cright(Runtime& runtime) : Window(runtime, "cright") {
  Caption = "オープニング";
  clientWidthPx = 426;
  clientHeightPx = 222;
  BackColor = kWindowColor;
  icon = "cright-icon.png";

  // Topmost first; the backdrop contains every other box and lies under them all.
  Picture2 = &AddPicture("Picture2");
  Place(*Picture2, {360, 0, 5535, 735});
  for (int i = 11; i >= 0; --i) {
    PictureBox& p = AddPicture("Picture8", i);
    Place(p, kBalls[i]);
    char file[16];
    std::snprintf(file, sizeof file, "ball%02d.png", i);
    p.picture = i == 11 ? "earth.png" : file;
    Picture8[static_cast<std::size_t>(i)] = &p;
  }
  for (int i = 0; i <= 11; ++i) {
    PictureBox& p = AddPicture("Picture1", i);
    Place(p, kMasks[i]);
    Picture1[static_cast<std::size_t>(i)] = &p;
  }
  Picture7 = &AddPicture("Picture7");
  Place(*Picture7, {0, 0, 6495, 3375});
  Picture7->picture = "cright-backdrop.png";

  Timer1 = &AddTimer("Timer1", true, 50, &cright::Timer1_Timer);
  AddVariable("animStep", animStep);
}

void cright::Form_Load() {
  animStep = 0;
  Timer1->SetEnabled(true);
  Timer1->SetInterval(50);
  for (std::size_t i = 0; i < 12; ++i) {
    Picture8[i]->Visible = false;
    Picture1[i]->Visible = true;
  }
}

void cright::Timer1_Timer() {
  if (animStep <= kTravelSteps - 1) {
    const int s = animStep;
    if (s >= 1) Picture8[static_cast<std::size_t>(s - 1)]->Visible = false;
    Picture8[static_cast<std::size_t>(s)]->Visible = true;
    Picture1[static_cast<std::size_t>(s)]->Visible = false;
    Timer1->SetInterval(CInt16(static_cast<double>(s) * s / 3.0 + 50));
    animStep = static_cast<std::int16_t>(animStep + 1);
  }
  if (animStep >= kTravelSteps) {
    Picture8[11]->Visible = true;
    Picture2->Visible = false;
    animStep = static_cast<std::int16_t>(animStep + 1);
  }
  if (animStep == kHandOverStep) {
    runtime().Show("Form1");
    Visible = false;
    runtime().Unload(*this);
  }
}

}  // namespace quendar
