// The headless driver's script language and snapshot, run line by line as a pipe would.
#include "app/driver.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/harness.h"

namespace quendar {
namespace {

using test::ScratchDir;

struct ScriptRun {
  std::ostringstream out, err;
  int status = 0;
  int lines = 0;
};

ScriptRun RunScript(const std::string& script) {
  ScriptRun r;
  Driver d(r.out, r.err);
  std::istringstream in(script);
  std::string line;
  while (std::getline(in, line)) {
    ++r.lines;
    if (auto s = d.RunLine(line, r.lines)) {
      r.status = *s;
      break;
    }
  }
  return r;
}

TEST(DriverScript, MalformedLinesStopWithTheirNumberAndReason) {
  ScratchDir dir;
  dir.Write("jyukugo.dat", test::WordFile(test::SampleWords(16)));
  const std::pair<std::string, std::string> cases[] = {
      {"start Form1\nfrobnicate\n", "line 2: unknown command 'frobnicate'"},
      {"start\nwait soon\n", "line 2: wait wants"},
      {"start Form1\nwait -5\n", "line 2: wait wants"},
      {"start Form1\nwait 3600000\nwait 2147483647000\n", "line 3: wait takes at most 3600000"},
      {"start Form1\nseed 4\n", "line 2: 'seed' must come before 'start'"},
      {"key 38\n", "line 1: the program has not been started"},
      {"start Form1\nclick Label2(x)\n", "line 2: click wants"},
      {"start Form1\nset nosuch 3\n", "line 2: Form1 has no variable named 'nosuch'"},
      {"start Form1\nset score 40000\n", "line 2: set wants a 16-bit value"},
      {"start Form1\nset columnOrder(11) 1\n", "line 2: index 11 is outside"},
      {"start Form1\nset columnOrder 1\n", "line 2: 'columnOrder' is an array"},
      {"\n# note\nstart Form1 extra\n", "line 3: 'start' takes no argument"},
      {"start\nset score 1\n", "line 2: the main window Form1 is not loaded"},
      {"start Form1\nset cursorCol 8\n", "line 2: 'cursorCol' takes values from 0 to 7"},
      // States play never reaches, from which the fall tick could never go on.
      {"start Form1\nset columnDone(0) 1\n", "line 2: cannot set columnDone: hitsInRound"},
      {"start Form1\nset hitsInRound 7\nset columnDone(0) 1\nset columnDone(1) 1\n"
       "set columnDone(2) 1\nset columnDone(3) 1\nset columnDone(4) 1\nset columnDone(5) 1\n"
       "set columnDone(6) 1\nset columnDone(7) 1\n",
       "line 10: cannot set columnDone: every slot would be matched"},
      // States that hung a handler: a deal that finds no compound never dealt, and a
      // round whose eighth match never comes.
      {"start Form1\nset roundNo 0\n", "line 2: 'roundNo' takes values from 1 to"},
      {"start Form1\nset hitsInRound 8\n", "line 2: cannot set hitsInRound: the eighth match"},
      {"start Form1\nset wordCount 40\n", "line 2: cannot set wordCount: wordCount is the number"},
      {"seed 1\nstart Form1\nwait 70000\nset roundNo 1\n",  // the second round is dealt
       "line 4: cannot set roundNo: rounds 2 to 2 need 8 compounds never dealt, and only 0"},
  };
  for (const auto& [script, message] : cases) {
    ScriptRun r = RunScript(script);
    EXPECT_EQ(r.status, 2) << script;
    EXPECT_NE(r.err.str().find(message), std::string::npos) << r.err.str();
  }
}

TEST(DriverScript, SnapshotShowsVariablesElementsAndSounds) {
  ScratchDir dir;
  dir.Write("jyukugo.dat", test::WordFile(test::SampleWords(16)));
  ScriptRun r = RunScript(
      "seed 9\nsnapshot\nstart Form1  # skip the opening\nset score 32760\n"
      "set columnOrder(2) 5\nwait 20\nkey 38\nwait 600\nsnapshot\n");
  ASSERT_EQ(r.status, 0) << r.err.str();
  std::istringstream lines(r.out.str());
  std::string before, after;
  std::getline(lines, before);
  std::getline(lines, after);
  EXPECT_EQ(before,
            "{\"t\":0,\"exited\":false,\"windows\":{\"cright\":null,\"Form1\":null},\"sounds\":[],"
            "\"study\":{\"shown\":false,\"ended\":false,\"entries\":[]}}");
  EXPECT_NE(after.find("\"t\":620"), std::string::npos);
  EXPECT_NE(after.find("\"cright\":null"), std::string::npos);
  EXPECT_NE(after.find("\"columnOrder\":["), std::string::npos);
  EXPECT_NE(after.find("\"wordCount\":16"), std::string::npos);
  EXPECT_NE(
      after.find("\"Label5\":{\"Caption\":\"ステージ\",\"Left\":122,\"Top\":143,"
                 "\"Width\":1112,\"Height\":382,\"BackColor\":\"#FFFFFF\","
                 "\"ForeColor\":\"#00C000\",\"BackStyle\":1,\"Enabled\":true,\"Visible\":true}"),
      std::string::npos);
  EXPECT_NE(after.find("\"Timer3\":{\"Enabled\":true,\"Interval\":500}"), std::string::npos);
  EXPECT_NE(after.find("\"Picture2\":{\"Visible\":"), std::string::npos);
  EXPECT_NE(after.find("\"owaru\":{\"Caption\":\"終わる\""), std::string::npos);
  // Slot 0 is the target from the start and the cursor stands on it: a match at the
  // 11th flight tick, worth 2 after the first gauge tick.
  EXPECT_NE(after.find("{\"t\":570,\"file\":\"seikai2.wav\"}"), std::string::npos);
  EXPECT_NE(after.find("\"score\":32762"), std::string::npos);
}

TEST(DriverScript, AfterTheProgramEndsInputIsIgnoredAndSnapshotsStillAnswer) {
  ScratchDir dir;
  dir.Write("jyukugo.dat", test::WordFile(test::SampleWords(16)));
  ScriptRun r =
      RunScript("start Form1\nmenu tojiru\nwait 100\nkey 38\nclick Label2(1)\nsnapshot\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.str().find("\"exited\":true"), std::string::npos);
  EXPECT_NE(r.out.str().find("\"Form1\":null"), std::string::npos);
}

TEST(DriverScript, FatalErrorOfTheProgramExitsWithOne) {
  ScratchDir dir;
  ScriptRun r = RunScript("start Form1\nsnapshot\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.str().find("jyukugo.dat"), std::string::npos);
  EXPECT_EQ(r.out.str(), "");
}

TEST(DriverScript, SameSeedReplaysTheSameGame) {
  ScratchDir dir;
  dir.Write("jyukugo.dat", test::WordFile(test::SampleWords(80)));
  const std::string script =
      "seed 77\nstart\nwait 5000\nkey 39\nkey 38\nwait 700\nclick-at 100 510\nwait "
      "3000\nsnapshot\n";
  ScriptRun a = RunScript(script), b = RunScript(script);
  EXPECT_EQ(a.status, 0);
  EXPECT_EQ(a.out.str(), b.out.str());
  ScriptRun c = RunScript("seed 78\n" + script.substr(8));
  EXPECT_NE(a.out.str(), c.out.str());
}

}  // namespace
}  // namespace quendar
