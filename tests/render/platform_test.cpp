// The front end's own pieces: font matching, geometry between window and client, what
// counts as a visible change, key codes, the opening scale and sound.
#include <SDL_mixer.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "elements/frame.h"
#include "elements/pointer.h"
#include "platform/desktop.h"
#include "platform/fonts.h"
#include "platform/input.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "tests/render/render_support.h"

namespace quendar::test {
namespace {

TEST(Fonts, LayoutFamiliesMatchTheIpaFaces) {
  FontLibrary fonts;
  const FontFace& mincho = fonts.Face("ＭＳ 明朝");
  const FontFace& gothic = fonts.Face("ＭＳ ゴシック");
  EXPECT_EQ(mincho.family, "IPAMincho");
  EXPECT_EQ(gothic.family, "IPAGothic");
  EXPECT_FALSE(mincho.substitute);
  EXPECT_NE(mincho.file, gothic.file);
}

TEST(Fonts, SizesAreInPixelsToTheEm) {
  FontLibrary fonts;
  const Font block{"ＭＳ 明朝", 27.75f, true};
  EXPECT_EQ(FontPixels(block, 1.0), 37);
  EXPECT_EQ(FontPixels(block, 2.0), 74);
  EXPECT_EQ(FontPixels(Font{"ＭＳ 明朝", 20.25f, false}, 1.0), 27);
  int w = 0, h = 0;
  TTF_Font* f = fonts.Open("ＭＳ 明朝", 37, false);
  ASSERT_EQ(TTF_SizeUTF8(f, "漢", &w, &h), 0);
  EXPECT_NEAR(w, 37, 1);
  EXPECT_EQ(fonts.Open("ＭＳ 明朝", 37, false), f);
  EXPECT_NE(fonts.Open("ＭＳ 明朝", 37, true), f);
}

// A fontconfig setup holding only the given font files.
FcConfig* ConfigWith(const std::vector<std::string>& files) {
  FcConfig* config = FcConfigCreate();
  for (const auto& f : files)
    FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(f.c_str()));
  return config;
}

std::string SystemFontFile(const char* family) {
  FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>(family));
  FcConfigSubstitute(nullptr, p, FcMatchPattern);
  FcDefaultSubstitute(p);
  FcResult r;
  FcPattern* m = FcFontMatch(nullptr, p, &r);
  FcPatternDestroy(p);
  std::string file;
  FcChar8* s = nullptr;
  FcChar8* fam = nullptr;
  if (m && FcPatternGetString(m, FC_FAMILY, 0, &fam) == FcResultMatch &&
      std::string(reinterpret_cast<char*>(fam)) == family &&
      FcPatternGetString(m, FC_FILE, 0, &s) == FcResultMatch)
    file = reinterpret_cast<char*>(s);
  if (m) FcPatternDestroy(m);
  return file;
}

TEST(Fonts, AnotherJapaneseFaceStandsInWithOneNotice) {
  const std::string other = SystemFontFile("IPAPMincho");
  if (other.empty()) GTEST_SKIP() << "IPAPMincho is not installed";
  FcConfig* config = ConfigWith({other});
  FontLibrary fonts(config);
  FcConfigDestroy(config);
  testing::internal::CaptureStderr();
  const FontFace& mincho = fonts.Face("ＭＳ 明朝");
  const FontFace& gothic = fonts.Face("ＭＳ ゴシック");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(mincho.file, other);
  EXPECT_EQ(gothic.file, other);
  EXPECT_TRUE(mincho.substitute);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("fonts-ipafont-mincho"), std::string::npos) << err;
  EXPECT_NE(fonts.Open("ＭＳ 明朝", 20, false), nullptr);
}

TEST(Fonts, NoJapaneseFaceIsAnErrorNamingThePackages) {
  FcConfig* config = ConfigWith({});
  FontLibrary fonts(config);
  FcConfigDestroy(config);
  try {
    fonts.Face("ＭＳ 明朝");
    FAIL() << "expected a FontError";
  } catch (const FontError& e) {
    const std::string what = e.what();
    EXPECT_NE(what.find("fonts-ipafont-mincho"), std::string::npos) << what;
    EXPECT_NE(what.find("fonts-ipafont-gothic"), std::string::npos) << what;
  }
}

TEST(Fonts, FamiliesAskForMinchoOrGothic) {
  EXPECT_TRUE(IsMinchoFamily("ＭＳ 明朝"));
  EXPECT_TRUE(IsMinchoFamily("ＭＳ Ｐ明朝"));
  EXPECT_FALSE(IsMinchoFamily("ＭＳ ゴシック"));
  EXPECT_FALSE(IsMinchoFamily("ＭＳ Ｐゴシック"));
}

TEST(Lines, CaptionsSplitAtCrLfAndAtLoneCrOrLf) {
  using V = std::vector<std::string_view>;
  EXPECT_EQ(SplitLines(""), V{""});
  EXPECT_EQ(SplitLines("山川"), V{"山川"});
  EXPECT_EQ(SplitLines("\r\n山川\r\n海"), (V{"", "山川", "海"}));
  EXPECT_EQ(SplitLines("a\rb\nc\r\n"), (V{"a", "b", "c", ""}));
  EXPECT_EQ(SplitLines("\n\r"), (V{"", "", ""}));
}

struct Form1Window : ::testing::Test {
  Program program{SampleWords(16)};
  Form1& form = program.form();
};

// Every character as wide as its em, every line 1.25 em high: enough for geometry.
struct FixedMetrics : TextMetrics {
  int LineHeight(const std::string&, int px, bool) override { return px * 5 / 4; }
  int Width(std::string_view text, const std::string&, int px, bool) override {
    return static_cast<int>(text.size()) * px / 3;
  }
};

TEST_F(Form1Window, FramePutsTheMenuBarAboveAndLetterboxesTheClient) {
  FixedMetrics metrics;
  auto [w, h] = WindowSizeAt(form, 1.0);
  EXPECT_EQ(w, 580);
  EXPECT_EQ(h, 566 + kMenuBarHeightPx);
  const Frame one = BuildWindowFrame(form, w, h, -1, metrics);
  EXPECT_DOUBLE_EQ(one.scale, 1.0);
  EXPECT_EQ(one.menuHeight, kMenuBarHeightPx);
  EXPECT_EQ(one.client, (PxRect{0, kMenuBarHeightPx, 580, 566}));
  EXPECT_NE(one.commands.front().color, kLetterboxColor);  // nothing to letterbox

  std::tie(w, h) = WindowSizeAt(form, 2.0);
  const Frame two = BuildWindowFrame(form, w + 200, h, -1, metrics);  // bars left and right
  EXPECT_DOUBLE_EQ(two.scale, 2.0);
  EXPECT_EQ(two.client.x, 100);
  EXPECT_EQ(two.client.y, 2 * kMenuBarHeightPx);
  EXPECT_EQ(two.commands.front().rect, (PxRect{0, 0, w + 200, h}));
  EXPECT_EQ(two.commands.front().color, kLetterboxColor);

  const auto p = two.ToClient(100 + 2 * 261 + 0.5, 40 + 2 * 7 + 0.5);
  ASSERT_TRUE(p);
  EXPECT_DOUBLE_EQ(p->x, 261.25);
  EXPECT_DOUBLE_EQ(p->y, 7.25);
  EXPECT_FALSE(two.ToClient(99.5, 100));
  EXPECT_FALSE(two.ToClient(200, 39.5));
  EXPECT_FALSE(two.ToClient(100 + 1160 + 0.5, 100));
}

TEST_F(Form1Window, OnlyWhatChangedOnScreenIsDrawnAgain) {
  FixedMetrics metrics;
  const auto frame = [&] { return BuildWindowFrame(form, 580, 586, -1, metrics); };
  const Frame start = frame();
  EXPECT_TRUE(ChangedAreas(start, frame()).empty());
  form.Picture2->Left += 100;  // hidden: nothing on screen changes
  EXPECT_TRUE(ChangedAreas(start, frame()).empty());

  form.Label4->Caption = "10";  // the score, right-aligned in its label
  const auto areas = ChangedAreas(start, frame());
  ASSERT_EQ(areas.size(), 1u);
  const PxRect label4{
      static_cast<int>(std::lround(form.UnitsToPxX(form.Label4->Left))),
      kMenuBarHeightPx + static_cast<int>(std::lround(form.UnitsToPxY(form.Label4->Top))),
      static_cast<int>(std::lround(form.UnitsToPxX(form.Label4->Width))),
      static_cast<int>(std::lround(form.UnitsToPxY(form.Label4->Height)))};
  EXPECT_EQ(Intersect(areas[0], label4), areas[0]);  // inside the label, nowhere else
  form.Label4->Caption = "";
  EXPECT_TRUE(ChangedAreas(start, frame()).empty());

  // A block moving down one step touches the rectangles it left and entered.
  form.Label1[0]->Top += 10;
  for (const PxRect& a : ChangedAreas(start, frame()))
    EXPECT_LE(a.w * a.h, 50 * 60) << a.x << ',' << a.y << ' ' << a.w << 'x' << a.h;
  form.Label1[0]->Top -= 10;
  // The hovered menu item is drawn again, and only the bar.
  for (const PxRect& a : ChangedAreas(start, BuildWindowFrame(form, 580, 586, 0, metrics)))
    EXPECT_LE(a.y + a.h, kMenuBarHeightPx);
}

// The rule both front ends take from elements/pointer.h.
TEST_F(Form1Window, AClickIsAPressAndAReleaseOnTheSameThing) {
  FixedMetrics metrics;
  const Frame f = BuildWindowFrame(form, 580, 586, -1, metrics);
  const auto centre = [&](const Label& l) {
    return std::pair{static_cast<int>(form.UnitsToPxX(l.Left + l.Width / 2)),
                     kMenuBarHeightPx + static_cast<int>(form.UnitsToPxY(l.Top + l.Height / 2))};
  };
  const auto [x0, y0] = centre(*form.Label2[0]);
  const auto [x1, y1] = centre(*form.Label2[1]);
  Pointer pointer;
  pointer.Press(f, form, x0, y0);
  pointer.Release(f, form, x1, y1, program.rt());  // let go over another block
  pointer.Press(f, form, x1, y1);
  pointer.Cancel();  // what it was pressed on left the screen
  pointer.Release(f, form, x1, y1, program.rt());
  EXPECT_FALSE(form.Timer2->Enabled()) << "no shot without a press and release on one block";
  pointer.Press(f, form, x1, y1);
  pointer.Release(f, form, x1 + 2, y1 + 2, program.rt());
  EXPECT_TRUE(form.Timer2->Enabled()) << "the block fired";

  ASSERT_EQ(f.menu.size(), 2u);
  const auto slot = [&](int i) { return f.menu[static_cast<std::size_t>(i)].rect; };
  EXPECT_TRUE(pointer.Move(f, slot(0).x + 1, 5));
  EXPECT_EQ(pointer.hover(), 0);
  EXPECT_FALSE(pointer.Move(f, slot(0).x + 2, 5));  // the same slot: nothing to redraw
  pointer.Press(f, form, slot(0).x + 1, 5);
  pointer.Release(f, form, slot(1).x + 1, 5, program.rt());
  EXPECT_TRUE(form.Timer1->Enabled() || form.Timer2->Enabled()) << "終わる was not chosen";
  pointer.Press(f, form, slot(0).x + 1, 5);
  pointer.Release(f, form, slot(0).x + 3, 5, program.rt());
  EXPECT_FALSE(form.Timer1->Enabled() || form.Timer2->Enabled()) << "終わる stops the timers";
  EXPECT_TRUE(pointer.Leave());
}

TEST(Keys, WindowsVirtualKeyCodes) {
  struct Case {
    SDL_Keycode key;
    SDL_Scancode scancode;
    int vk;
  };
  const Case cases[] = {
      {SDLK_RETURN, SDL_SCANCODE_RETURN, 13},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 13},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, 37},
      {SDLK_UP, SDL_SCANCODE_UP, 38},
      {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 39},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, 40},
      {SDLK_a, SDL_SCANCODE_A, 65},
      {SDLK_z, SDL_SCANCODE_Z, 90},
      {SDLK_0, SDL_SCANCODE_0, 48},
      {SDLK_9, SDL_SCANCODE_9, 57},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 32},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 27},
      {SDLK_F1, SDL_SCANCODE_F1, 112},
      {SDLK_F11, SDL_SCANCODE_F11, 122},
      {SDLK_F12, SDL_SCANCODE_F12, 123},
      {SDLK_KP_5, SDL_SCANCODE_KP_5, 101},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 96},
      {SDLK_LSHIFT, SDL_SCANCODE_LSHIFT, 16},
      {SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, 8},
      {SDLK_DELETE, SDL_SCANCODE_DELETE, 46},
      // A layout that types another script still gives the letter by its position.
      {0x0439, SDL_SCANCODE_Q, 81},
      {0x0431, SDL_SCANCODE_1, 49},
      {SDLK_MUTE, SDL_SCANCODE_MUTE, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(VirtualKeyCode(c.key, c.scancode), c.vk) << SDL_GetKeyName(c.key);
  // F11 belongs to the window (full screen); the game never sees it, held or not.
  EXPECT_EQ(WindowKeyFor(SDLK_F11, false), WindowKey::ToggleFullscreen);
  EXPECT_EQ(WindowKeyFor(SDLK_F11, true), WindowKey::Consumed);
  EXPECT_EQ(WindowKeyFor(SDLK_UP, false), WindowKey::None);
}

TEST(Scale, WholeMultipleOnDenseDisplaysThatStillFits) {
  EXPECT_EQ(PickScale(96, 1920, 1080, 580, 586), 1);
  EXPECT_EQ(PickScale(144, 3840, 2160, 580, 586), 1);
  EXPECT_EQ(PickScale(192, 3840, 2100, 580, 586), 2);
  EXPECT_EQ(PickScale(288, 3840, 2100, 580, 586), 3);
  // Too dense for its size: falls back to what fits.
  EXPECT_EQ(PickScale(288, 2560, 1400, 580, 586), 2);
  EXPECT_EQ(PickScale(288, 1200, 700, 580, 586), 1);
}

// The desktop's own setting counts before the physical size, which Xvfb and many monitors
// report as 96 dpi whatever the screen.
TEST(Scale, FollowsTheDesktopsSetting) {
  const char* resources = "Xcursor.size:\t48\nXft.dpi:\t192\nXft.antialias:\t1\n";
  EXPECT_EQ(DesktopDpiFrom(nullptr, nullptr, resources, 96), 192);
  EXPECT_EQ(DesktopDpiFrom("2", nullptr, resources, 96), 192);
  EXPECT_EQ(DesktopDpiFrom("3", "2", resources, 96), 288);
  EXPECT_EQ(DesktopDpiFrom(nullptr, "1.5", nullptr, 96), 144);
  EXPECT_EQ(DesktopDpiFrom("x", "", "Xft.dpi: none\nXft.dpix: 300\n", 110), 110);
  EXPECT_EQ(PickScale(DesktopDpiFrom(nullptr, nullptr, resources, 96), 3840, 2100, 580, 586), 2);
}

// Lines the game wrote, leaving out SDL's own notices.
int OurLines(const std::string& err) {
  int n = 0;
  for (std::size_t at = err.find("quendar: "); at != std::string::npos;
       at = err.find("quendar: ", at + 1))
    ++n;
  return n;
}

// Each test opens and closes audio itself, on the driver it names.
class Sound : public ::testing::Test {
 protected:
  void Use(const char* driver) {
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", (dir_.path() / "audio.raw").c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1);
  }
  void TearDown() override {
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
  }
  ScratchDir dir_;
};

TEST_F(Sound, PlaysFilesAndTheAlertToneForOnesItCannotRead) {
  Use("disk");
  const std::vector<unsigned char> wav = AlertToneWav();
  dir_.Write("seikai2.wav", std::string(wav.begin(), wav.end()));
  dir_.Write("matigai.wav", "not a sound");
  MixerSound sound;
  EXPECT_FALSE(sound.open());  // nothing is opened before the first request
  testing::internal::CaptureStderr();
  sound.Play("seikai2.wav");
  ASSERT_TRUE(sound.open());
  EXPECT_TRUE(sound.playing());
  sound.Play("matigai.wav");
  EXPECT_TRUE(sound.playing());
  sound.Play("missing.wav");
  sound.Play("missing.wav");
  EXPECT_TRUE(sound.playing());
  sound.Play("seikai2.wav");
  EXPECT_TRUE(sound.playing());
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("sound matigai.wav"), std::string::npos) << err;
  EXPECT_NE(err.find("sound missing.wav: no such file"), std::string::npos) << err;
  EXPECT_EQ(OurLines(err), 2) << err;
}

TEST_F(Sound, EndlessHugeOrChangedFilesNeverStallAndLoadOnlyWhenChanged) {
  Use("disk");
  const std::vector<unsigned char> wav = AlertToneWav();
  dir_.Write("seikai2.wav", std::string(wav.begin(), wav.end()));
  std::filesystem::create_symlink("/dev/zero", dir_.path() / "zero.wav");
  ASSERT_EQ(mkfifo((dir_.path() / "fifo.wav").c_str(), 0600), 0);
  {
    std::ofstream huge(dir_.path() / "huge.wav");
    huge.seekp(300 << 20);  // 300 MB, sparse: refused by its size, never read
    huge << 'x';
  }
  MixerSound sound;
  testing::internal::CaptureStderr();
  for (int i = 0; i < 3; ++i)
    for (const char* f : {"seikai2.wav", "zero.wav", "fifo.wav", "huge.wav"}) {
      sound.Play(f);
      EXPECT_TRUE(sound.playing()) << f;  // the file, or the alert tone in its place
    }
  EXPECT_EQ(sound.loads(), 1);
  dir_.Write("seikai2.wav", std::string(wav.begin(), wav.end()) + "changed");
  sound.Play("seikai2.wav");
  EXPECT_EQ(sound.loads(), 2);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("sound zero.wav: is a character device, not a sound file"), std::string::npos)
      << err;
  EXPECT_NE(err.find("sound fifo.wav: is a named pipe"), std::string::npos) << err;
  EXPECT_NE(err.find("sound huge.wav: is 300 MiB, too large for a sound cue"), std::string::npos)
      << err;
  EXPECT_EQ(OurLines(err), 3) << err;
}

TEST_F(Sound, WithoutAudioItStaysSilentForGood) {
  Use("no-such-driver");
  MixerSound sound;
  testing::internal::CaptureStderr();
  sound.Play("seikai2.wav");
  sound.Play("matigai.wav");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(sound.open());
  EXPECT_FALSE(sound.playing());
  EXPECT_EQ(OurLines(err), 1) << err;
}

TEST(AlertTone, IsAWaveFileSdlReads) {
  const std::vector<unsigned char> wav = AlertToneWav();
  SDL_AudioSpec format;
  Uint8* buffer = nullptr;
  Uint32 length = 0;
  ASSERT_NE(SDL_LoadWAV_RW(SDL_RWFromConstMem(wav.data(), static_cast<int>(wav.size())), 1, &format,
                           &buffer, &length),
            nullptr)
      << SDL_GetError();
  EXPECT_EQ(format.channels, 1);
  EXPECT_EQ(format.format, AUDIO_S16LSB);
  EXPECT_GE(length, static_cast<Uint32>(format.freq) * 2 / 10);  // at least 100 ms
  SDL_FreeWAV(buffer);
}

}  // namespace
}  // namespace quendar::test
