// The drawing rules, checked on a free-form window whose elements sit on whole pixels:
// fills, text colour and placement, transparency, disabled text, stacking, pictures.
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/render/render_support.h"

namespace quendar::test {
namespace {

constexpr Color kWhite = 0xFFFFFF, kRed = 0xFF0000, kBlue = 0x0000FF, kYellow = 0xFFFF00,
                kGreen = 0x00FF00, kGrey = 0x808080;

TEST(Painter, FillsTheWindowAndOpaqueLabelsAndSkipsHiddenOrEmptyOnes) {
  CanvasRig rig(120, 80, [](Canvas& c) {
    c.BackColor = kYellow;
    c.Put("Shown", {10, 10, 30, 20}, kRed);
    c.Put("Hidden", {50, 10, 30, 20}, kBlue).Visible = false;
    c.Put("NoWidth", {50, 40, 0, 20}, kBlue);
    c.Put("NoHeight", {60, 40, 20, 0}, kBlue);
  });
  const SDL_Surface* s = rig.Draw();
  ASSERT_EQ(s->w, 120);
  ASSERT_EQ(s->h, 80);
  EXPECT_EQ(CountColour(s, {10, 10, 30, 20}, kRed), 30 * 20);
  EXPECT_EQ(CountColour(s, Whole(s), kRed), 30 * 20);
  EXPECT_EQ(CountColour(s, Whole(s), kBlue), 0);
  EXPECT_EQ(CountColour(s, Whole(s), kYellow), 120 * 80 - 30 * 20);
}

TEST(Painter, PositionsRoundEachEdgeToTheNearestPixelAtTheScale) {
  CanvasRig rig(100, 60, [](Canvas& c) {
    // 7.5 px and 10.4 px at scale 1; 15 px and 20.8 px at scale 2.
    Label& l = c.Put("L", {0, 0, 0, 0}, kRed);
    l.Left = 7.5f;
    l.Top = 2.4f;
    l.Width = 10.4f;
    l.Height = 5.6f;
  });
  const SDL_Surface* s = rig.Draw(1.0);
  EXPECT_EQ(BoundsOf(s, Whole(s), [](Color c) { return c == kRed; }).x, 8);
  const PxRect one = BoundsOf(s, Whole(s), [](Color c) { return c == kRed; });
  EXPECT_EQ(one.y, 2);
  EXPECT_EQ(one.w, 10);
  EXPECT_EQ(one.h, 6);
  s = rig.Draw(2.0);
  ASSERT_EQ(s->w, 200);
  const PxRect two = BoundsOf(s, Whole(s), [](Color c) { return c == kRed; });
  EXPECT_EQ(two.x, 15);
  EXPECT_EQ(two.y, 5);
  EXPECT_EQ(two.w, 21);
  EXPECT_EQ(two.h, 11);
}

TEST(Painter, TextIsDrawnInTheForeColourInsideTheLabelOnly) {
  CanvasRig rig(200, 100, [](Canvas& c) {
    Label& l = c.Put("L", {20, 20, 50, 20}, kWhite);
    l.Caption = "田田田田田";  // wider and taller than the label
    l.ForeColor = kRed;
    l.font.points = 27.75f;
  });
  const SDL_Surface* s = rig.Draw();
  EXPECT_GT(CountColour(s, {20, 20, 50, 20}, kRed), 50);
  const PxRect ink = BoundsOf(s, Whole(s), [](Color c) { return c != kWhite; });
  EXPECT_GE(ink.x, 20);
  EXPECT_GE(ink.y, 20);
  EXPECT_LE(ink.x + ink.w, 70);
  EXPECT_LE(ink.y + ink.h, 40);
  // The glyphs start at the top of the label, not in its middle.
  EXPECT_LE(ink.y, 20 + 37 / 4);
}

TEST(Painter, AlignsEachLineLeftRightOrCentre) {
  const auto inkOf = [](Alignment a) {
    CanvasRig rig(200, 60, [a](Canvas& c) {
      Label& l = c.Put("L", {20, 10, 150, 40}, kWhite);
      l.Caption = "口";
      l.alignment = a;
    });
    const SDL_Surface* s = rig.Draw();
    return BoundsOf(s, Whole(s), [](Color c) { return c != kWhite; });
  };
  const PxRect left = inkOf(Alignment::Left), right = inkOf(Alignment::Right),
               centre = inkOf(Alignment::Center);
  ASSERT_GT(left.w, 10);
  EXPECT_LE(left.x - 20, 5);
  EXPECT_LE(170 - (right.x + right.w), 5);
  EXPECT_NEAR(centre.x + centre.w / 2.0, 95, 3);
  EXPECT_EQ(left.w, right.w);
  EXPECT_EQ(left.y, right.y);
}

TEST(Painter, SplitsCaptionsAtLineBreaksOfEveryKind) {
  const auto bands = [](const std::string& caption) {
    CanvasRig rig(100, 200, [&](Canvas& c) {
      Label& l = c.Put("L", {10, 0, 60, 200}, kWhite);
      l.Caption = caption;
    });
    const SDL_Surface* s = rig.Draw();
    return std::make_pair(InkBands(s, Whole(s), kWhite),
                          BoundsOf(s, Whole(s), [](Color c) { return c != kWhite; }));
  };
  EXPECT_EQ(bands("口\r\n口\n口\r口").first, 4);
  // An empty line keeps its place: the second glyph sits two lines down.
  const auto [oneBand, one] = bands("口\r\n口");
  const auto [gapBands, gap] = bands("口\r\n\r\n口");
  EXPECT_EQ(oneBand, 2);
  EXPECT_EQ(gapBands, 2);
  EXPECT_GT(gap.h - one.h, 20);
}

TEST(Painter, TransparentLabelShowsWhatIsUnderIt) {
  CanvasRig rig(120, 60, [](Canvas& c) {
    Label& clear = c.Put("Clear", {10, 10, 60, 40}, kYellow, 0);
    clear.Caption = "口";
    clear.ForeColor = kRed;
    c.Put("Opaque", {40, 20, 60, 30}, kYellow, 1);
    c.Put("Under", {0, 0, 120, 60}, kBlue);
  });
  const SDL_Surface* s = rig.Draw();
  // Under the transparent label: its text and the blue beneath, never its own yellow.
  EXPECT_EQ(CountColour(s, {10, 10, 30, 40}, kYellow), 0);
  EXPECT_GT(CountColour(s, {10, 10, 30, 40}, kBlue), 0);
  EXPECT_GT(CountColour(s, {10, 10, 60, 40}, kRed), 0);
  // The opaque one hides the blue wherever no text lies over it.
  EXPECT_EQ(CountColour(s, {70, 20, 30, 30}, kYellow), 30 * 30);
}

TEST(Painter, DisabledLabelTextIsEmbossedGreyInsteadOfForeColour) {
  const auto draw = [](bool enabled, PxRect& grey, PxRect& white, int& red) {
    CanvasRig rig(100, 60, [enabled](Canvas& c) {
      Label& l = c.Put("L", {10, 10, 60, 40}, kBlue);
      l.Caption = "口";
      l.ForeColor = kRed;
      l.Enabled = enabled;
    });
    const SDL_Surface* s = rig.Draw();
    grey = BoundsOf(s, {10, 10, 60, 40}, [](Color c) { return c == kGrey; });
    white = BoundsOf(s, {10, 10, 60, 40}, [](Color c) { return c == kWhite; });
    red = CountColour(s, Whole(s), kRed);
  };
  PxRect grey, white;
  int red = 0;
  draw(false, grey, white, red);
  EXPECT_EQ(red, 0);
  ASSERT_FALSE(grey.Empty());
  ASSERT_FALSE(white.Empty());
  // The white copy lies one pixel down and to the right of the grey one.
  EXPECT_EQ(white.x + white.w, grey.x + grey.w + 1);
  EXPECT_EQ(white.y + white.h, grey.y + grey.h + 1);
  draw(true, grey, white, red);
  EXPECT_GT(red, 0);
  EXPECT_TRUE(grey.Empty());
}

TEST(Painter, LaterElementsInTheListLieUnderEarlierOnes) {
  CanvasRig rig(100, 60, [](Canvas& c) {
    c.PutPicture("Top", {30, 10, 20, 20}, kGreen, "");
    c.Put("Middle", {20, 5, 40, 30}, kRed);
    c.Put("Bottom", {0, 0, 50, 50}, kBlue);
  });
  const SDL_Surface* s = rig.Draw();
  EXPECT_EQ(PixelAt(s, 35, 15), kGreen);
  EXPECT_EQ(PixelAt(s, 25, 15), kRed);
  EXPECT_EQ(PixelAt(s, 55, 8), kRed);
  EXPECT_EQ(PixelAt(s, 5, 5), kBlue);
  EXPECT_EQ(PixelAt(s, 70, 5), 0xFFFFFFu);
}

class Pictures : public ::testing::Test {
 protected:
  void SetUp() override {
    // 6 × 4: opaque red on the left half, half-transparent red on the right.
    WritePng((dir_.path() / "half.png").string(), 6, 4,
             [](int x, int) { return x < 3 ? 0xFFFF0000u : 0x80FF0000u; });
  }
  ScratchDir dir_;
};

TEST_F(Pictures, DrawnAtTheBoxCornerAtTheirOwnSizeClippedAndBlended) {
  CanvasRig rig(40, 30,
                [](Canvas& c) {
                  c.PutPicture("Big", {2, 3, 10, 10}, kBlue, "half.png");
                  c.PutPicture("Small", {20, 3, 4, 2}, kBlue, "half.png");
                },
                {dir_.path().string()});
  const SDL_Surface* s = rig.Draw();
  EXPECT_EQ(CountColour(s, {2, 3, 3, 4}, kRed), 12);
  const Color blend = PixelAt(s, 6, 4);
  EXPECT_NEAR(static_cast<int>(blend >> 16), 128, 3);
  EXPECT_NEAR(static_cast<int>(blend & 0xFF), 127, 3);
  // Beyond the picture the box keeps its background; beyond the box nothing is drawn.
  EXPECT_EQ(CountColour(s, {8, 3, 4, 10}, kBlue), 40);
  EXPECT_EQ(CountColour(s, {2, 7, 10, 6}, kBlue), 60);
  EXPECT_EQ(CountColour(s, {20, 3, 3, 2}, kRed), 6);
  EXPECT_EQ(CountOther(s, {20, 5, 10, 5}, kWhite), 0);
  EXPECT_EQ(CountOther(s, {24, 3, 6, 2}, kWhite), 0);

  s = rig.Draw(2.0);
  EXPECT_EQ(CountColour(s, {4, 6, 6, 8}, kRed), 48);
}

// Pictures without alpha (the opening's backdrop) at an in-between scale, as a full screen
// draws them: they used to vanish with a warning because SDL smooths only 32-bit pixels.
TEST_F(Pictures, RgbPictureIsSmoothedAtAnInBetweenScale) {
  SDL_Surface* rgb = SDL_CreateRGBSurfaceWithFormat(0, 4, 4, 24, SDL_PIXELFORMAT_RGB24);
  ASSERT_NE(rgb, nullptr);
  SDL_FillRect(rgb, nullptr, SDL_MapRGB(rgb->format, 0, 255, 0));
  ASSERT_EQ(IMG_SavePNG(rgb, (dir_.path() / "rgb.png").string().c_str()), 0);
  SDL_FreeSurface(rgb);
  CanvasRig rig(40, 30,
                [](Canvas& c) {
                  c.PutPicture("Rgb", {2, 2, 10, 10}, kBlue, "rgb.png");
                },
                {dir_.path().string()});
  testing::internal::CaptureStderr();
  const SDL_Surface* s = rig.Draw(1.5);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  // 4 px at 1.5 is 6 px, from the box corner at (3, 3).
  EXPECT_EQ(CountColour(s, {3, 3, 6, 6}, kGreen), 36);
  EXPECT_EQ(CountColour(s, {9, 3, 6, 6}, kGreen), 0);
}

TEST_F(Pictures, MissingPictureShowsTheBackgroundWithOneWarning) {
  CanvasRig rig(40, 30,
                [](Canvas& c) {
                  c.PutPicture("Gone", {5, 5, 10, 10}, kBlue, "gone.png");
                },
                {dir_.path().string()});
  testing::internal::CaptureStderr();
  rig.Draw();
  const SDL_Surface* s = rig.Draw(2.0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountColour(s, {10, 10, 20, 20}, kBlue), 400);
  EXPECT_NE(err.find("gone.png"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(Pictures, UnreadablePictureIsWarnedAboutNotFatal) {
  dir_.Write("broken.png", "not a picture");
  PictureStore store({dir_.path().string()});
  testing::internal::CaptureStderr();
  EXPECT_EQ(store.Get("broken.png"), nullptr);
  EXPECT_EQ(store.Get("broken.png"), nullptr);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("broken.png"), std::string::npos);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST_F(Pictures, PicturesThatLieOrDwarfTheirBoxAreRefusedAndIconsScaledDown) {
  // A 47-byte file whose header claims 65535 x 65535: refused from the header, unread.
  const std::string header("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\xFF\xFF\0\0\xFF\xFF\x08\x06\0\0\0",
                           29);
  dir_.Write("liar.png", header + std::string(18, '\0'));
  WritePng((dir_.path() / "wide.png").string(), 300, 2, [](int, int) { return 0xFFFF0000u; });
  WritePng((dir_.path() / "icon.png").string(), 2100, 1050, [](int, int) { return 0xFF00FF00u; });
  CanvasRig rig(40, 30,
                [](Canvas& c) {
                  c.PutPicture("Liar", {0, 0, 20, 10}, kBlue, "liar.png");
                  c.PutPicture("Wide", {0, 10, 20, 10}, kBlue, "wide.png");
                },
                {dir_.path().string()});
  testing::internal::CaptureStderr();
  rig.Draw();
  const SDL_Surface* s = rig.Draw();
  PictureStore store({dir_.path().string()});
  SDL_Surface* icon = store.Icon("icon.png");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(CountColour(s, {0, 0, 20, 20}, kBlue), 400);  // both boxes show their colour
  EXPECT_NE(err.find("liar.png is 65535 x 65535 pixels, more than 4096 x 4096"), std::string::npos)
      << err;
  EXPECT_NE(err.find("wide.png is 300 x 2 pixels, far larger than its box of 20 x 10"),
            std::string::npos)
      << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->w, 256);
  EXPECT_EQ(icon->h, 128);
  EXPECT_EQ(PixelAt(icon, 100, 100) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(Pictures, FoundInTheFirstDirectoryThatHasThem) {
  std::filesystem::create_directory(dir_.path() / "first");
  WritePng((dir_.path() / "first" / "one.png").string(), 2, 2,
           [](int, int) { return 0xFF00FF00u; });
  PictureStore store({(dir_.path() / "first").string(), dir_.path().string()});
  SDL_Surface* one = store.Get("one.png");
  SDL_Surface* half = store.Get("half.png");
  ASSERT_NE(one, nullptr);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(one->w, 2);
  EXPECT_EQ(half->w, 6);
}

TEST(PictureDirs, InstalledDirectoryFirstThenTheSources) {
  const std::vector<std::string> dirs = DefaultPictureDirs();
  ASSERT_EQ(dirs.size(), 2u);
  EXPECT_TRUE(dirs[0].ends_with("share/quendar/pictures")) << dirs[0];
  EXPECT_EQ(std::filesystem::path(dirs[1]),
            std::filesystem::path(QUENDAR_SOURCE_DIR) / "assets" / "pictures");
}

}  // namespace
}  // namespace quendar::test
