// The spoken readings' queue and pack against a recording output: what is said, when, and
// what a broken pack costs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "study/voice.h"

namespace quendar {
namespace {

struct Recorder : VoiceOutput {
  bool cue = false;
  std::vector<std::pair<std::string, std::size_t>> said;
  std::optional<std::string> refuse;
  bool GameSoundPlaying() override { return cue; }
  std::optional<std::string> Speak(const std::vector<unsigned char>& s,
                                   const std::string& word) override {
    if (!refuse && s.size() > 4 && std::string(s.begin(), s.begin() + 4) == "OggS")
      said.emplace_back(word, s.size());
    return refuse;
  }
  void Stop() override {}
};

TEST(Voice, WaitsForTheGameSoundSaysTheNewestAndDropsWhatCameTooLate) {
  Recorder out;
  Voice voice(QUENDAR_SOURCE_DIR "/assets/voice", out);
  out.cue = true;
  voice.Request("大学", 0);
  voice.Request("学校", 10);  // the newer match replaces the one waiting
  voice.Poll(500);
  EXPECT_TRUE(out.said.empty());
  out.cue = false;
  voice.Poll(1010);
  voice.Poll(1020);
  ASSERT_EQ(out.said.size(), 1u);
  EXPECT_EQ(out.said[0], std::make_pair(std::string("学校"), std::size_t{792}));
  out.cue = true;
  voice.Request("事件", 2000);
  out.cue = false;
  voice.Poll(2000 + Voice::kMaxWaitMs + 1);
  voice.Request("人人", 6000);  // no recording: silent
  voice.Poll(6000);
  voice.Toggle();
  voice.Request("時間", 7000);
  voice.Poll(7000);
  EXPECT_EQ(out.said.size(), 1u);
  EXPECT_FALSE(voice.waiting());
}

TEST(Voice, ABrokenPackLeavesCompoundsSilentWithOneLineEach) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("quendar-voice-" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream(dir / "readings.opus") << "OggS" << std::string(96, 'x');
  std::ofstream(dir / "readings.tsv") << "大学\tだいがく\t0\t50\n事件\tじけん\t50\t51\n"
                                      << "学校\tがっこう\tx\t1\n時間\tじかん\t0\t40\n";
  VoiceIndex index = ParseVoiceIndex("a\tb\t0\t50\nc\t\t90\t20\n\nd\te\t1\n", 100);
  EXPECT_EQ(index.clips.size(), 1u);
  EXPECT_EQ(index.problem,
            "2 lines are not a recording inside the pack (the first: line 2); "
            "those compounds are silent");
  Recorder out;
  Voice voice(dir.string(), out);
  testing::internal::CaptureStderr();
  voice.Request("無い", 0);  // the index is read at the first reading due
  voice.Poll(0);
  fs::resize_file(dir / "readings.opus", 30);  // cut short while the game runs
  for (const char* word : {"大学", "大学", "時間", "事件", "学校"}) {
    voice.Request(word, 0);
    voice.Poll(0);
  }
  out.refuse = "does not decode";
  fs::resize_file(dir / "readings.opus", 100);
  voice.Request("時間", 0);
  voice.Poll(0);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(out.said.empty());
  EXPECT_EQ(err, "quendar: " + (dir / "readings.tsv").string() +
                     ": 2 lines are not a recording inside the pack (the first: line 2); those "
                     "compounds are silent\nquendar: " +
                     (dir / "readings.opus").string() +
                     ": ends before the recording (cut short?); 大学 is silent\nquendar: " +
                     (dir / "readings.opus").string() +
                     ": ends before the recording (cut short?); 時間 is silent\nquendar: " +
                     (dir / "readings.opus").string() +
                     ": the recording of 時間 does not decode\n");
  Voice none("", out);
  none.Request("大学", 0);
  none.Poll(0);
  Voice missing((dir / "gone").string(), out);
  testing::internal::CaptureStderr();
  missing.Request("大学", 0);
  missing.Poll(0);
  missing.Request("時間", 0);
  missing.Poll(0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "quendar: " + (dir / "gone/readings.opus").string() +
                ": is missing; the readings are not spoken\n");
  EXPECT_TRUE(out.said.empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace quendar
