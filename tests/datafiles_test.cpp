// Where the game finds its word list and sounds: the current directory, then the XDG data
// directory, then the installed data, each name on its own; and a list named to play.
#include "elements/datafiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/program.h"
#include "elements/runtime.h"
#include "game/form1.h"
#include "tests/harness.h"

namespace quendar::test {
namespace {

namespace fs = std::filesystem;

void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream(dir / name, std::ios::binary) << bytes;
}

// The program on a virtual clock, started on Form1 with `files` as its data files.
struct Started {
  VirtualClock clock;
  Random random{clock};
  RecordingSound sound{clock};
  Runtime runtime{clock, random, sound};
  std::string notices;
  explicit Started(const DataFiles& files) {
    random.Seed(1);
    runtime.SetNoticeSink([this](const std::string& line) { notices += line + "\n"; });
    RegisterProgram(runtime);
    runtime.SetFiles(files);
    runtime.Start("Form1");
  }
  int words() const { return static_cast<Form1*>(runtime.Get("Form1"))->wordCount; }
};

TEST(DataFiles, CurrentDirectoryThenXdgThenInstalledEachNameOnItsOwn) {
  ScratchDir cwd;  // the working directory while it lives
  const fs::path xdg = cwd.path() / "xdg";
  const fs::path installed = cwd.path() / "installed";
  const auto dirs = GameDataDirs(xdg.c_str(), "/nonexistent-home", installed.string());
  ASSERT_EQ(dirs.size(), 3u);
  const DataFiles files(dirs);

  Put(installed, "jyukugo.dat", WordFile(SampleWords(24)));
  Put(installed, "seikai2.wav", "chime");
  Put(installed, "matigai.wav", "buzzer");
  EXPECT_EQ(files.Find("jyukugo.dat"), (installed / "jyukugo.dat").string());
  EXPECT_EQ(Started(files).words(), 24);

  Put(xdg / "quendar", "jyukugo.dat", WordFile(SampleWords(16)));
  Put(xdg / "quendar", "matigai.wav", "my buzzer");
  EXPECT_EQ(Started(files).words(), 16);
  EXPECT_EQ(files.Find("matigai.wav"), (xdg / "quendar" / "matigai.wav").string());
  EXPECT_EQ(files.Find("seikai2.wav"), (installed / "seikai2.wav").string());

  // A list in the working directory wins and is opened by its bare name, as always.
  cwd.Write("jyukugo.dat", WordFile(SampleWords(8)));
  EXPECT_EQ(files.Find("jyukugo.dat"), "jyukugo.dat");
  EXPECT_EQ(Started(files).words(), 8);
  EXPECT_EQ(files.Find("seikai2.wav"), (installed / "seikai2.wav").string());

  // Even a working-directory entry that cannot be read is the one reported on.
  fs::remove(cwd.path() / "jyukugo.dat");
  fs::create_directory(cwd.path() / "jyukugo.dat");
  Started broken(files);
  ASSERT_TRUE(broken.runtime.fatal());
  EXPECT_EQ(*broken.runtime.fatal(), "jyukugo.dat: is a directory, not a word list file");
}

TEST(DataFiles, AMissingListSaysWhereTheGameLookedInOrderAndWhatToDo) {
  ScratchDir cwd;
  const DataFiles files(GameDataDirs(nullptr, "/home/someone", "/opt/q/share/quendar"));
  Started run(files);
  ASSERT_TRUE(run.runtime.fatal());
  const std::string& m = *run.runtime.fatal();
  const auto here = m.find("1. the current directory (" + fs::current_path().string() + ")");
  const auto xdg = m.find("2. /home/someone/.local/share/quendar");
  const auto installed = m.find("3. the installed data directory /opt/q/share/quendar");
  EXPECT_EQ(m.rfind("jyukugo.dat: file not found", 0), 0u) << m;
  EXPECT_TRUE(here != std::string::npos && xdg > here && installed > xdg && installed != m.npos)
      << m;
  EXPECT_NE(m.find("quendar LIST"), std::string::npos) << m;

  // The driver's lookup, the current directory only, keeps its old message.
  Started sim{DataFiles()};
  EXPECT_EQ(*sim.runtime.fatal(), "jyukugo.dat: file not found in the current directory");
}

TEST(DataFiles, XdgDataHomeFollowsTheBaseDirectoryRules) {
  auto second = [](const char* xdg, const char* home) {
    const auto dirs = GameDataDirs(xdg, home, "");
    return dirs.size() == 2 ? dirs[1].path : std::string("(none)");
  };
  EXPECT_EQ(second("/data", "/home/u"), "/data/quendar");
  EXPECT_EQ(second(nullptr, "/home/u"), "/home/u/.local/share/quendar");
  EXPECT_EQ(second("", "/home/u"), "/home/u/.local/share/quendar");
  EXPECT_EQ(second("relative/dir", "/home/u"), "/home/u/.local/share/quendar");
  EXPECT_EQ(second(nullptr, nullptr), "(none)");
}

TEST(DataFiles, ANamedListStandsInForTheWordListOnly) {
  ScratchDir cwd;
  cwd.Write("jyukugo.dat", WordFile(SampleWords(8)));
  cwd.Write("seikai2.wav", "chime");
  const fs::path other = cwd.path() / "lists" / "mine.txt";
  Put(other.parent_path(), "mine.txt", WordFile(SampleWords(40)));
  DataFiles files;
  files.Assign("jyukugo.dat", other.string(), "named on the command line");
  EXPECT_EQ(Started(files).words(), 40);
  EXPECT_EQ(files.Find("seikai2.wav"), "seikai2.wav");
  // A named list too short to play is named as the player named it.
  Put(other.parent_path(), "empty.dat", "");
  DataFiles empty;
  empty.Assign("jyukugo.dat", (other.parent_path() / "empty.dat").string(), "named");
  EXPECT_EQ(Started(empty).notices,
            (other.parent_path() / "empty.dat").string() + ": 0 lines; a round needs 8\n");

  DataFiles missing;
  missing.Assign("jyukugo.dat", "/no/such/list.dat", "named on the command line");
  Started run(missing);
  ASSERT_TRUE(run.runtime.fatal());
  EXPECT_EQ(run.runtime.fatal()->rfind("/no/such/list.dat: file not found", 0), 0u)
      << *run.runtime.fatal();
  EXPECT_STREQ(ShippedListFile("joyo"), "jyukugo-joyo.dat");
  EXPECT_STREQ(ShippedListFile("elementary"), "jyukugo-elementary.dat");
  EXPECT_EQ(ShippedListFile("jyukugo.dat"), nullptr);
}

}  // namespace
}  // namespace quendar::test
