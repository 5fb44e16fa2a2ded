// The main window as the player sees it: the layout's pixel positions, colours and text
// drawn by the same code the game and the driver's screenshots use, and clicks landing
// on what is drawn under the pointer.
#include <SDL_image.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <sstream>

#include "app/driver.h"
#include "app/screenshot.h"
#include "platform/canvas.h"
#include "tests/render/render_support.h"

namespace quendar::test {
namespace {

constexpr Color kWhite = 0xFFFFFF;

// An element's rectangle in client pixels at scale 1.
PxRect RectOf(const Window& w, const Visual& v) {
  const auto px = [](double d) { return static_cast<int>(std::lround(d)); };
  return {px(w.UnitsToPxX(v.Left)), px(w.UnitsToPxY(v.Top)), px(w.UnitsToPxX(v.Width)),
          px(w.UnitsToPxY(v.Height))};
}

class Form1Frame : public ::testing::Test {
 protected:
  SDL_Surface* Draw(double scale = 1.0) { return canvas_.Draw(program_.form(), scale); }
  Form1& form() { return program_.form(); }

  Program program_{SampleWords(16)};
  FontLibrary fonts_;
  PictureStore pictures_;
  OffscreenCanvas canvas_{fonts_, pictures_};
};

TEST_F(Form1Frame, ListPanelFillsItsRectangleLightYellow) {
  const SDL_Surface* s = Draw();
  ASSERT_EQ(s->w, 580);
  ASSERT_EQ(s->h, 566);
  const PxRect panel{504, 32, 65, 337};
  EXPECT_EQ(CountColour(s, panel, 0xFFFF80), panel.w * panel.h);
  EXPECT_EQ(BoundsOf(s, Whole(s), [](Color c) { return c == 0xFFFF80; }).x, panel.x);
  EXPECT_EQ(PixelAt(s, 503, 100), kWhite);
  EXPECT_EQ(PixelAt(s, 569, 100), kWhite);
  EXPECT_EQ(PixelAt(s, 520, 31), kWhite);
  EXPECT_EQ(PixelAt(s, 520, 369), kWhite);
}

TEST_F(Form1Frame, GaugeCellsSitAtTheirPixelColumnsEachOverTheOneBefore) {
  const int lefts[11] = {261, 273, 285, 297, 309, 321, 333, 345, 356, 368, 380};
  for (int i = 0; i <= 10; ++i)
    form().Label9[static_cast<std::size_t>(i)]->BackColor = 0x100000u * (i + 1) + 0x20;
  const SDL_Surface* s = Draw();
  for (int i = 0; i <= 10; ++i) {
    SCOPED_TRACE(i);
    const Color c = 0x100000u * (i + 1) + 0x20;
    const PxRect cell = BoundsOf(s, {250, 0, 160, 40}, [c](Color p) { return p == c; });
    EXPECT_EQ(cell.x, lefts[i]);
    EXPECT_EQ(cell.y, 7);
    EXPECT_EQ(cell.h, 15);
    // A cell is 13 wide unless the next one lies over its last column.
    const int right = i < 10 ? std::min(lefts[i] + 13, lefts[i + 1]) : lefts[i] + 13;
    EXPECT_EQ(cell.x + cell.w, right);
  }
}

TEST_F(Form1Frame, BlocksAre43By41OnTheTopAndBottomRows) {
  Label* top = nullptr;
  for (Label* l : form().Label1)
    if (l->Left == 7 * Form1::kColumnPitch + Form1::kBlockLeft0) top = l;
  ASSERT_NE(top, nullptr);
  top->BackColor = 0x123456;
  top->Caption = "";
  form().Label2[0]->BackColor = 0x654321;
  form().Label2[0]->Caption = "";
  const SDL_Surface* s = Draw();
  const PxRect t = BoundsOf(s, Whole(s), [](Color c) { return c == 0x123456; });
  const PxRect b = BoundsOf(s, Whole(s), [](Color c) { return c == 0x654321; });
  EXPECT_EQ(t.y, 6);
  EXPECT_EQ(t.w, 43);
  EXPECT_EQ(t.h, 41);
  EXPECT_EQ(b.x, 25);
  EXPECT_EQ(b.y, 491);
  EXPECT_EQ(b.w, 43);
  EXPECT_EQ(b.h, 41);
}

TEST_F(Form1Frame, StatusTextInItsColoursAndDisabledBlocksGreyed) {
  Label& block = *form().Label2[3];
  block.Enabled = false;
  const SDL_Surface* s = Draw();
  // "1", the round number, in green right of "ステージ", whose label overlaps its left edge.
  EXPECT_EQ(form().Label3->Caption, "1");
  EXPECT_GT(CountTinted(s, {82, 6, 35, 25}, 0x00C000, kWhite), 15);
  EXPECT_EQ(CountTinted(s, {82, 6, 35, 25}, 0xFF8000, kWhite), 0);
  // "点" in orange.
  EXPECT_GT(CountTinted(s, {222, 5, 32, 23}, 0xFF8000, kWhite), 15);
  EXPECT_EQ(CountTinted(s, {222, 5, 32, 23}, 0x00C000, kWhite), 0);
  const PxRect r = RectOf(form(), block);
  const PxRect next = RectOf(form(), *form().Label2[2]);
  EXPECT_GT(CountColour(s, r, 0x808080), 20);
  EXPECT_EQ(CountColour(s, r, 0x000000), 0);
  EXPECT_GT(CountColour(s, next, 0x000000), 20);
  EXPECT_EQ(CountColour(s, next, 0x808080), 0);
}

TEST_F(Form1Frame, DrawsTheSameAtEveryRepaintAndScalesTextCrisply) {
  SDL_Surface* s = Draw();
  const int ink = CountOther(s, Whole(s), kWhite);
  s = Draw();
  EXPECT_EQ(CountOther(s, Whole(s), kWhite), ink);
  s = Draw(2.0);
  ASSERT_EQ(s->w, 1160);
  // The bottom row's glyphs, drawn at twice the size, cover about four times the pixels.
  const int one = [&] {
    SDL_Surface* a = Draw(1.0);
    return CountColour(a, {0, 491, 500, 41}, 0x000000);
  }();
  SDL_Surface* b = Draw(2.0);
  const int two = CountColour(b, {0, 982, 1000, 82}, 0x000000);
  EXPECT_GT(two, 3 * one);
  EXPECT_LT(two, 5 * one);
}

// Draws a window as the game's screens do: the frame description of the whole window at
// an output size, executed by the canvas the screens use.
struct Output {
  Output(int w, int h, const Window& window, FontLibrary& fonts, PictureStore& pictures,
         int hover = -1)
      : canvas(fonts, pictures),
        frame(BuildWindowFrame(window, w, h, hover, canvas)),
        surface(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888)) {
    canvas.Execute(surface.get(), frame);
  }
  SdlCanvas canvas;
  Frame frame;
  SurfacePtr surface;
};

TEST_F(Form1Frame, MenuBarListsItsItemsLeftToRightAndGreysThemWhenDisabled) {
  const auto [w, h] = WindowSizeAt(form(), 1.0);
  Output out(w, h, form(), fonts_, pictures_);
  const auto& slots = out.frame.menu;
  ASSERT_EQ(slots.size(), 2u);
  EXPECT_EQ(slots[0].name, "owaru");
  EXPECT_EQ(slots[1].name, "tojiru");
  EXPECT_EQ(slots[0].rect.x, 0);
  EXPECT_EQ(slots[1].rect.x, slots[0].rect.x + slots[0].rect.w);
  EXPECT_EQ(out.frame.MenuSlotAt(slots[1].rect.x + 2, 10), 1);
  EXPECT_EQ(out.frame.MenuSlotAt(slots[1].rect.x + slots[1].rect.w + 2, 10), -1);
  const PxRect bar{0, 0, w, kMenuBarHeightPx};
  EXPECT_GT(CountColour(out.surface.get(), bar, 0x000000), 10);

  form().Enabled = false;
  Output greyed(w, h, form(), fonts_, pictures_, 0);
  EXPECT_FALSE(greyed.frame.menu[0].enabled);
  EXPECT_EQ(CountColour(greyed.surface.get(), bar, 0x000000), 0);
  EXPECT_GT(CountColour(greyed.surface.get(), bar, 0xA0A0A0), 10);
}

TEST(ClickMapping, EveryPointReachesTheTopmostElementDrawnThere) {
  CanvasRig rig(100, 60, [](Canvas& c) {
    c.PutPicture("Picture", {60, 10, 20, 20}, 0x00FF00, "");
    c.Put("A", {10, 5, 40, 30}, 0xFF0000);
    c.Put("B", {30, 20, 50, 30}, 0x0000FF);
    c.Put("Empty", {0, 0, 0, 60}, 0xFF00FF);
  });
  Output out(320, 200, rig.canvas(), rig.fonts(), rig.pictures());
  ASSERT_DOUBLE_EQ(out.frame.scale, 3.2);
  int clicks = 0, checked = 0;
  for (int y = 0; y < 200; y += 3) {
    for (int x = 0; x < 320; x += 3) {
      const Color drawn = PixelAt(out.surface.get(), x, y);
      const auto p = out.frame.ToClient(x + 0.5, y + 0.5);
      if (!p) {
        EXPECT_EQ(drawn, kLetterboxColor) << x << ',' << y;
        continue;
      }
      const Visual* hit = rig.canvas().HitTest(p->x, p->y);
      const std::size_t before = rig.canvas().clicked.size();
      rig.rt().ClickAt(p->x, p->y);
      ++checked;
      if (!hit) {
        EXPECT_EQ(drawn, kWhite) << x << ',' << y;
        EXPECT_EQ(rig.canvas().clicked.size(), before);
        continue;
      }
      EXPECT_EQ(drawn, hit->BackColor) << x << ',' << y << ' ' << hit->DisplayName();
      if (hit->kind() == ElementKind::Label) {
        ASSERT_EQ(rig.canvas().clicked.size(), before + 1);
        EXPECT_EQ(rig.canvas().clicked.back(), hit->DisplayName());
        ++clicks;
      } else {
        EXPECT_EQ(rig.canvas().clicked.size(), before);  // a picture box swallows it
      }
    }
  }
  EXPECT_GT(checked, 3000);
  EXPECT_GT(clicks, 500);
}

TEST(ClickMapping, ClickOnABottomBlockFiresItAtAnyScale) {
  Program program(SampleWords(16));
  FontLibrary fonts;
  PictureStore pictures;
  for (int i = 0; i < 8; ++i) {
    program.form().Label2[static_cast<std::size_t>(i)]->BackColor = 0x102030u * (i + 1);
    program.form().Label2[static_cast<std::size_t>(i)]->Caption = "";
  }
  for (const auto& [w, h] : {std::pair{580, 586}, {1300, 1250}, {900, 500}}) {
    Output out(w, h, program.form(), fonts, pictures);
    for (int i = 0; i < 8; ++i) {
      SCOPED_TRACE(testing::Message() << w << 'x' << h << " block " << i);
      const Label& block = *program.form().Label2[static_cast<std::size_t>(i)];
      // A point just inside the block's top-left corner, in output pixels.
      const Window& f = program.form();
      const int x = out.frame.client.x +
                    static_cast<int>(std::lround(f.UnitsToPxX(block.Left, out.frame.scale))) + 2;
      const int y = out.frame.client.y +
                    static_cast<int>(std::lround(f.UnitsToPxY(block.Top, out.frame.scale))) + 2;
      EXPECT_EQ(PixelAt(out.surface.get(), x, y), block.BackColor);
      const auto p = out.frame.ToClient(x + 0.5, y + 0.5);
      ASSERT_TRUE(p);
      EXPECT_TRUE(program.rt().ClickAt(p->x, p->y));
      EXPECT_EQ(program.form().shotCol, i);
    }
  }
}

TEST(Screenshot, DriverWritesThePngAndReportsAFileItCannotWrite) {
  ScratchDir dir;
  dir.Write("jyukugo.dat", WordFile(SampleWords(16)));
  std::ostringstream out, err;
  Driver driver(out, err, MakeScreenshooter());
  int line = 0;
  for (const char* l : {"seed 1", "start Form1", "wait 1000", "screenshot shot.png"})
    ASSERT_EQ(driver.RunLine(l, ++line), std::nullopt) << l << ": " << err.str();
  SDL_Surface* png = IMG_Load("shot.png");
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->w, 580);
  EXPECT_EQ(png->h, 566);
  SDL_Surface* rgb = SDL_ConvertSurfaceFormat(png, SDL_PIXELFORMAT_RGB888, 0);
  EXPECT_EQ(PixelAt(rgb, 530, 200), 0xFFFF80u);
  SDL_FreeSurface(rgb);
  SDL_FreeSurface(png);

  // A picture that cannot be written, or not into a regular file, is a failure: exit 1.
  EXPECT_EQ(driver.RunLine("screenshot no-such-dir/shot.png", ++line), 1);
  EXPECT_NE(err.str().find("no-such-dir/shot.png"), std::string::npos) << err.str();
  EXPECT_EQ(driver.RunLine("screenshot /dev/full", ++line), 1);  // no picture file: refused
  EXPECT_NE(err.str().find("cannot write /dev/full: it is a character device"), std::string::npos)
      << err.str();
  // A disk that fills up while the picture is written, as a file size limit makes it.
  rlimit was{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &was), 0);
  rlimit small = was;
  small.rlim_cur = 1024;
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto status = driver.RunLine("screenshot part.png", ++line);
  setrlimit(RLIMIT_FSIZE, &was);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(status, 1);
  EXPECT_NE(err.str().find("cannot write part.png: File too large"), std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace quendar::test
