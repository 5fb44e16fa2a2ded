#include "tests/harness.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

namespace quendar::test {

ScratchDir::ScratchDir() : previous_(std::filesystem::current_path()) {
  std::string pattern = (std::filesystem::temp_directory_path() / "quendar-test-XXXXXX").string();
  path_ = mkdtemp(pattern.data());
  std::filesystem::current_path(path_);
}

ScratchDir::~ScratchDir() {
  std::filesystem::current_path(previous_);
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void ScratchDir::Write(const std::string& name, const std::string& bytes) const {
  std::ofstream(path_ / name, std::ios::binary) << bytes;
}

std::vector<std::string> SampleWords(int count) {
  // Pairs of common kanji; distinct first and second characters make every slot
  // recognisable from its captions.
  static const char* const kFirst[] = {"山", "学", "電", "時", "天", "宿", "代", "能", "表", "予",
                                       "道", "花", "風", "海", "水", "日", "春", "秋", "夏", "冬"};
  static const char* const kSecond[] = {"川", "校", "車", "間", "気", "題", "表", "力", "示", "定",
                                        "路", "火", "景", "岸", "道", "本", "分", "色", "休", "空"};
  std::vector<std::string> words;
  for (int i = 0; i < count; ++i)
    words.push_back(std::string(kFirst[i % 20]) + kSecond[(i / 20 + i) % 20]);
  return words;
}

std::string WordFile(const std::vector<std::string>& words) {
  std::string bytes;
  for (const auto& w : words)
    bytes += ToCp932(w) + "\r\n";
  return bytes;
}

Program::Program(const std::vector<std::string>& words, std::uint64_t seed,
                 const std::string& startWindow, bool writeList) {
  if (writeList) dir_.Write("jyukugo.dat", WordFile(words));
  engine_.random.Seed(seed);
  started_ = rt().Start(startWindow);
}

Form1& Program::form() {
  Window* w = rt().Get("Form1");
  if (!w) {
    ADD_FAILURE() << "Form1 is not loaded";
    throw std::runtime_error("Form1 is not loaded");
  }
  return static_cast<Form1&>(*w);
}

void Shoot(Program& p, bool right) {
  Form1& f = p.form();
  const int slot =
      right ? f.targetCol : (f.targetCol + 1 + (f.columnDone[(f.targetCol + 1) % 8] ? 1 : 0)) % 8;
  ASSERT_TRUE(p.rt().Click("Label2", slot));
  ASSERT_TRUE(p.WaitUntil([&] { return !f.Timer2->Enabled(); }, 2000));
}

}  // namespace quendar::test
