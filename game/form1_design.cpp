// Form1 as designed: every element with the properties it has when the window loads.
#include <cmath>

#include "game/form1.h"

namespace quendar {

namespace {

const char* const kMincho = "ＭＳ 明朝";
const char* const kGothic = "ＭＳ ゴシック";

struct Rect {
  float left, top, width, height;
};

void Place(Visual& v, Rect r) {
  v.Left = r.left;
  v.Top = r.top;
  v.Width = r.width;
  v.Height = r.height;
}

// Design positions of the blocks; start-up moves them before anything is painted.
constexpr Rect kLabel1Design[Form1::kSlots] = {
    {381, 509, 650, 650},  {1310, 525, 762, 652}, {2225, 525, 762, 652}, {3170, 509, 762, 652},
    {4023, 509, 762, 652}, {4922, 509, 762, 652}, {5867, 509, 762, 652}, {6811, 493, 762, 652},
};
constexpr Rect kLabel2Design[Form1::kSlots] = {
    {518, 7728, 610, 588},  {1402, 7728, 610, 588}, {2331, 7728, 610, 588}, {3261, 7712, 610, 588},
    {4206, 7712, 610, 588}, {5135, 7696, 610, 588}, {6065, 7696, 610, 588}, {7025, 7696, 610, 588},
};
constexpr float kLabel8Design[Form1::kSlots][2] = {
    {625, 7394},  {1524, 7378}, {2453, 7330}, {3337, 7346},
    {4328, 7346}, {5227, 7362}, {6202, 7314}, {7116, 7314},
};
constexpr float kGaugeLeft[11] = {3977, 4160, 4343, 4526, 4709, 4891, 5074, 5257, 5425, 5608, 5790};

Label& Style(Label& l, const char* family, float points, bool bold, Color fore, Alignment align) {
  l.font = Font{family, points, bold};
  l.ForeColor = fore;
  l.alignment = align;
  return l;
}

}  // namespace

Form1::Form1(Runtime& runtime) : Window(runtime, "Form1") {
  BuildDesign();
  AddVariable("score", score);
  // The ranges play gives each variable; StateProblem adds the relations between them.
  AddVariable("roundNo", roundNo, 1, kMaxWords / kSlots + 1);
  AddVariable("hitsInRound", hitsInRound, 0, kSlots);
  AddVariable("cursorCol", cursorCol, 0, 7);
  AddVariable("targetCol", targetCol, 0, 7);
  AddVariable("targetTick", targetTick, 0, 201);
  AddVariable("fallCol", fallCol, 0, 7);
  AddVariable("targetTop", targetTop);
  AddVariable("targetLeft", targetLeft);
  AddVariable("shotCol", shotCol, 0, 7);
  AddVariable("shotTop", shotTop);
  AddVariable("shotLeft", shotLeft);
  AddVariable("stepTop", stepTop);
  AddVariable("stepLeft", stepLeft);
  AddVariable("bonusLevel", bonusLevel, 0, 10);
  AddVariable("badgeCount", badgeCount, -32768 / 500, 20);
  AddVariable("wordCount", wordCount, 0, kMaxWords);
  AddVariable("pickIndex", pickIndex, 0, kMaxWords);
  AddVariable("pickCol", pickCol, 0, 7);
  AddArray("columnOrder", columnOrder.data(), columnOrder.size(), 0, 7);
  AddArray("columnDone", columnDone.data(), columnDone.size(), 0, 1);
  wordLines.assign(kMaxWords + 1, "");
  firstChars.assign(kMaxWords + 1, "");
  secondChars.assign(kMaxWords + 1, "");
  wordUsed.assign(kMaxWords + 1, 0);
}

void Form1::BuildDesign() {
  Caption = "Quendar";
  clientWidthPx = 580;
  clientHeightPx = 566;
  twipsPerUnitX = 0.984375;         // 63/64 twip
  twipsPerUnitY = 8490.0 / 9000.0;  // 0.94333… twip
  BackColor = kWindowColor;
  icon = "form1-icon.png";

  // Topmost first: picture boxes lie over every label.
  Picture3 = &AddPicture("Picture3");
  Place(*Picture3, {7070, 5979, 1722, 1924});
  Picture3->picture = "bad.png";
  Picture2 = &AddPicture("Picture2");
  Place(*Picture2, {7192, 6106, 1600, 1797});
  Picture2->picture = "good.png";
  for (int i = 20; i >= 1; --i) {
    PictureBox& p = AddPicture("Picture1", i);
    Place(p, {std::round(365.7f * static_cast<float>(i)), 8523, 274, 286});
    p.picture = "badge.png";
    Picture1[static_cast<std::size_t>(i)] = &p;
  }
  for (PictureBox* p : {Picture3, Picture2}) {
    p->Visible = false;
    p->Enabled = false;
  }
  for (int i = 1; i <= 20; ++i) {
    Picture1[static_cast<std::size_t>(i)]->Visible = false;
    Picture1[static_cast<std::size_t>(i)]->Enabled = false;
  }

  Label11 = &Style(AddLabel("Label11"), kMincho, 20.25f, true, 0x008000, Alignment::Left);
  Place(*Label11, {7680, 509, 990, 5359});
  Label11->BackColor = 0xFFFF80;

  for (int i = 7; i >= 0; --i) {
    Label& l = Style(AddLabel("Label8", i), kGothic, 12, true, 0x0000FF, Alignment::Center);
    Place(l, {kLabel8Design[i][0], kLabel8Design[i][1], 350, 270});
    l.Caption = "↑";
    l.Visible = false;
    Label8[static_cast<std::size_t>(i)] = &l;
  }

  Label10 = &Style(AddLabel("Label10"), kGothic, 12, true, 0xFF0000, Alignment::Center);
  Place(*Label10, {6171, 80, 457, 382});
  Label10->BackStyle = 0;

  for (int i = 10; i >= 0; --i) {
    Label& l =
        Style(AddLabel("Label9", i), kMincho, 20.25f, false, kWindowTextColor, Alignment::Left);
    Place(l, {kGaugeLeft[i], 111, 198, 239});
    l.BackColor = 0xFFFFFF;
    Label9[static_cast<std::size_t>(i)] = &l;
  }

  Label7 = &Style(AddLabel("Label7"), kGothic, 72, false, kWindowTextColor, Alignment::Center);
  Place(*Label7, {488, 3180, 6964, 2751});
  Label7->BackStyle = 0;

  Label6 = &Style(AddLabel("Label6"), kMincho, 12, true, 0xFF8000, Alignment::Center);
  Place(*Label6, {3383, 80, 488, 366});
  Label6->Caption = "点";

  Label5 = &Style(AddLabel("Label5"), kMincho, 12, true, 0x00C000, Alignment::Left);
  Place(*Label5, {122, 143, 1112, 382});
  Label5->Caption = "ステージ";

  Label4 = &Style(AddLabel("Label4"), kMincho, 20.25f, false, 0xFF8000, Alignment::Right);
  Place(*Label4, {1768, 0, 1615, 509});

  Label3 = &Style(AddLabel("Label3"), kMincho, 20.25f, false, 0x00C000, Alignment::Center);
  Place(*Label3, {1219, 95, 564, 398});

  for (int i = 7; i >= 0; --i) {
    Label& l = Style(AddLabel("Label2", i, &Form1::Label2_Click), kMincho, 27.75f, true,
                     kWindowTextColor, Alignment::Center);
    Place(l, kLabel2Design[i]);
    l.Caption = "字";
    Label2[static_cast<std::size_t>(i)] = &l;
  }
  for (int i = 7; i >= 0; --i) {
    Label& l =
        Style(AddLabel("Label1", i), kMincho, 27.75f, true, kWindowTextColor, Alignment::Center);
    Place(l, kLabel1Design[i]);
    l.Caption = "漢";
    Label1[static_cast<std::size_t>(i)] = &l;
  }

  // Created in this order so that ticks due at the same moment come Timer1, Timer2, Timer3.
  Timer1 = &AddTimer("Timer1", false, 10, &Form1::Timer1_Timer);
  Timer2 = &AddTimer("Timer2", false, 50, &Form1::Timer2_Timer);
  Timer3 = &AddTimer("Timer3", true, 500, &Form1::Timer3_Timer);

  AddMenu("owaru", "終わる", &Form1::owaru_Click);
  AddMenu("tojiru", "閉じる", &Form1::tojiru_Click);
}

std::string Form1::StateProblem() const {
  // What play keeps true and the handlers rely on to go on: the fall tick and the target
  // choice draw until they find an unmatched slot, only the eighth match of a round deals
  // the next one, and each deal draws until it finds eight compounds never dealt.
  if (wordCount != wordsRead_)
    return "wordCount is the number of lines read (" + std::to_string(wordsRead_) +
           "); play never changes it";
  for (std::size_t i = kSlots; i < columnDone.size(); ++i)
    if (columnDone[i] != 0 || columnOrder[i] != 0)
      return "columns 8 to 10 are never used in play and stay 0";
  int done = 0;
  for (std::size_t i = 0; i < kSlots; ++i)
    done += columnDone[i];
  const int rounds = wordCount / kSlots;
  if (!gameOver) {
    if (done == kSlots) return "every slot would be matched, leaving none to fall";
    if (hitsInRound > 7) return "the eighth match of a round deals the next one at once";
    if (roundNo > rounds)
      return "roundNo would be past the last round (" + std::to_string(rounds) +
             ") while the game goes on";
  }
  if (hitsInRound < done) return "hitsInRound would be below the number of matched slots";
  int unused = 0;
  for (int k = 1; k <= wordCount; ++k)
    unused += wordUsed[static_cast<std::size_t>(k)] == 0;
  if (roundNo < rounds && unused < kSlots * (rounds - roundNo))
    return "rounds " + std::to_string(roundNo + 1) + " to " + std::to_string(rounds) + " need " +
           std::to_string(kSlots * (rounds - roundNo)) + " compounds never dealt, and only " +
           std::to_string(unused) + " are left";
  return "";
}

}  // namespace quendar
