// The main window as designed, before its load handler runs: spot checks against the
// layout tables, in board units and in pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "elements/snapshot.h"
#include "game/form1.h"
#include "tests/harness.h"

namespace quendar {
namespace {

struct Designed {
  HeadlessEngine engine{false};
  Form1 form{engine.runtime};
};

long PxX(const Window& w, double u) {
  return std::lround(w.UnitsToPxX(u));
}
long PxY(const Window& w, double u) {
  return std::lround(w.UnitsToPxY(u));
}

TEST(Form1Design, WindowScaleAndClientArea) {
  Designed d;
  const Form1& f = d.form;
  EXPECT_EQ(f.Caption, "Quendar");
  EXPECT_EQ(f.clientWidthPx, 580);
  EXPECT_EQ(f.clientHeightPx, 566);
  EXPECT_NEAR(580 * 15 / f.twipsPerUnitX, 8838.1, 0.1);
  EXPECT_NEAR(566 * 15 / f.twipsPerUnitY, 9000.0, 1e-6);
  EXPECT_NEAR(f.UnitsToPxY(7800), 490.5, 0.05);
  EXPECT_EQ(f.menus().size(), 2u);
  EXPECT_EQ(f.menus()[0].name, "owaru");
  EXPECT_EQ(f.menus()[0].Caption, "終わる");
  EXPECT_EQ(f.menus()[1].name, "tojiru");
  EXPECT_EQ(f.menus()[1].Caption, "閉じる");
}

TEST(Form1Design, StatusLineLabels) {
  Designed d;
  const Form1& f = d.form;
  const Label& l5 = *f.Label5;
  EXPECT_EQ(l5.Caption, "ステージ");
  EXPECT_EQ(PxX(f, l5.Left), 8);
  EXPECT_EQ(PxY(f, l5.Top), 9);
  EXPECT_EQ(PxX(f, l5.Width), 73);
  EXPECT_EQ(PxY(f, l5.Height), 24);
  EXPECT_EQ(l5.font.family, "ＭＳ 明朝");
  EXPECT_TRUE(l5.font.bold);
  EXPECT_EQ(l5.ForeColor, 0x00C000u);
  EXPECT_EQ(f.Label4->alignment, Alignment::Right);
  EXPECT_EQ(f.Label4->ForeColor, 0xFF8000u);
  EXPECT_EQ(PxX(f, f.Label4->Width), 106);
  EXPECT_EQ(f.Label6->Caption, "点");
  EXPECT_EQ(f.Label10->BackStyle, 0);
  EXPECT_EQ(f.Label10->font.family, "ＭＳ ゴシック");
  EXPECT_EQ(f.Label11->BackColor, 0xFFFF80u);
  EXPECT_EQ(f.Label11->ForeColor, 0x008000u);
  EXPECT_FLOAT_EQ(f.Label11->font.Pixels(), 27.0f);
  EXPECT_EQ(PxX(f, f.Label11->Left), 504);
  EXPECT_EQ(PxY(f, f.Label11->Height), 337);
  EXPECT_EQ(f.Label7->BackStyle, 0);
  EXPECT_FLOAT_EQ(f.Label7->font.Pixels(), 96.0f);
  EXPECT_TRUE(f.Label7->Visible);
  EXPECT_EQ(f.Label7->Caption, "");
}

TEST(Form1Design, GaugeCellsSitWhereTheTablePutsThem) {
  Designed d;
  const long pixels[11] = {261, 273, 285, 297, 309, 321, 333, 345, 356, 368, 380};
  for (std::size_t i = 0; i < 11; ++i) {
    const Label& cell = *d.form.Label9[i];
    EXPECT_EQ(PxX(d.form, cell.Left), pixels[i]) << i;
    EXPECT_EQ(PxY(d.form, cell.Top), 7);
    EXPECT_EQ(PxX(d.form, cell.Width), 13);
    EXPECT_EQ(PxY(d.form, cell.Height), 15);
    EXPECT_EQ(cell.BackColor, 0xFFFFFFu);
  }
}

TEST(Form1Design, FieldBlocksMarkersAndPictures) {
  Designed d;
  const Form1& f = d.form;
  EXPECT_EQ(f.Label1[0]->Caption, "漢");
  EXPECT_EQ(f.Label2[7]->Caption, "字");
  EXPECT_FLOAT_EQ(f.Label1[7]->Top, 493);
  EXPECT_FLOAT_EQ(f.Label2[3]->Top, 7712);
  EXPECT_FLOAT_EQ(f.Label1[0]->font.Pixels(), 37.0f);
  for (std::size_t i = 0; i < 8; ++i) {
    EXPECT_FALSE(f.Label8[i]->Visible);
    EXPECT_EQ(f.Label8[i]->Caption, "↑");
    EXPECT_EQ(f.Label8[i]->ForeColor, 0x0000FFu);
  }
  for (std::size_t i = 1; i <= 20; ++i) {
    const PictureBox& b = *f.Picture1[i];
    EXPECT_EQ(PxX(f, b.Left), static_cast<long>(24 * i)) << i;
    EXPECT_EQ(PxY(f, b.Top), 536);
    EXPECT_FALSE(b.Visible);
    EXPECT_FALSE(b.Enabled);
  }
  EXPECT_FLOAT_EQ(f.Picture1[20]->Left, 7314);
  // The badge strip lies below the bottom row's blocks (7800 + 650).
  EXPECT_GT(f.Picture1[1]->Top, 7800 + 650);
  EXPECT_EQ(PxX(f, f.Picture2->Left), 472);
  EXPECT_EQ(PxY(f, f.Picture3->Height), 121);
  EXPECT_FALSE(f.Picture2->Visible);
}

TEST(Form1Design, StackingOrderAndTimers) {
  Designed d;
  const auto& els = d.form.elements();
  EXPECT_EQ(els.front()->DisplayName(), "Picture3");
  EXPECT_EQ(els[1]->DisplayName(), "Picture2");
  EXPECT_EQ(els[2]->DisplayName(), "Picture1(20)");
  auto pos = [&](const std::string& n) {
    for (std::size_t i = 0; i < els.size(); ++i)
      if (els[i]->DisplayName() == n) return i;
    return els.size();
  };
  EXPECT_LT(pos("Picture1(1)"), pos("Label11"));
  EXPECT_LT(pos("Label11"), pos("Label8(7)"));
  EXPECT_LT(pos("Label10"), pos("Label9(10)"));
  EXPECT_LT(pos("Label7"), pos("Label2(7)"));
  EXPECT_LT(pos("Label2(0)"), pos("Label1(7)"));
  EXPECT_EQ(d.form.Timer1->Interval(), 10);
  EXPECT_FALSE(d.form.Timer1->Enabled());
  EXPECT_EQ(d.form.Timer2->Interval(), 50);
  EXPECT_FALSE(d.form.Timer2->Enabled());
  EXPECT_EQ(d.form.Timer3->Interval(), 500);
  EXPECT_TRUE(d.form.Timer3->Enabled());
}

TEST(Form1Design, HitTestFindsTheTopmostElement) {
  Designed d;
  Form1& f = d.form;
  // Picture2 overlaps the corner of bottom block 7; when shown it takes the click.
  f.Label2[7]->Left = 7 * 930 + 380;
  f.Label2[7]->Top = 7800;
  f.Label2[7]->Width = f.Label2[7]->Height = 650;
  EXPECT_EQ(f.HitTest(480, 494), f.Label2[7]);
  f.Picture2->Visible = true;
  EXPECT_EQ(f.HitTest(480, 494), f.Picture2);
  EXPECT_EQ(f.HitTest(460, 494), f.Label2[7]);
  f.Label2[7]->Width = 0;  // a vanished block can no longer be hit
  EXPECT_EQ(f.HitTest(460, 494), nullptr);
}

}  // namespace
}  // namespace quendar
