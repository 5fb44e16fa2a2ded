// The learner's history at a year of heavy play (250 000 lines, 3 000 compounds): loading
// and scheduling it, composing a practice list from the shipped list, appending one run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "elements/text.h"
#include "study/history_file.h"
#include "study/practice.h"

namespace {

using namespace quendar;

constexpr int kLines = 250000, kCompounds = 3000;

// The shipped list's compounds first (a practice list finds them met), then made-up ones.
std::vector<std::string> Compounds(const std::vector<std::string>& list) {
  std::vector<std::string> words;
  for (const std::string& line : list)
    if (words.size() < kCompounds) words.push_back(CompoundOf(line));
  for (char32_t a = 0x4E00; words.size() < kCompounds; ++a) {
    std::string w;
    AppendUtf8(w, a);
    AppendUtf8(w, a + 1000);
    words.push_back(w);
  }
  return words;
}

struct Year {
  Year() {
    list = ReadWordListLines(QUENDAR_SOURCE_DIR "/assets/jyukugo.dat");
    const auto words = Compounds(list);
    std::mt19937 rnd(1);
    std::vector<HistoryLine> lines;
    // Runs of 48 lines, about 14 a day for a year.
    const std::int64_t start = *ParseTime("2026-01-01T00:00:00Z");
    for (int i = 0; i < kLines; ++i)
      lines.push_back({start + i / 48 * 6000, words[rnd() % kCompounds],
                       static_cast<Grade>(1 + rnd() % 3), "jyukugo.dat"});
    now = lines.back().time + 3600;
    path = (std::filesystem::temp_directory_path() /
            ("quendar-bench-history-" + std::to_string(getpid()) + ".tsv"))
               .string();
    std::filesystem::remove(path);
    if (AppendHistoryFile(path, HistoryText(lines))) std::abort();
    run.assign(lines.end() - 48, lines.end());
  }
  ~Year() { std::filesystem::remove(path); }
  std::vector<std::string> list;
  std::string path;
  std::int64_t now = 0;
  std::vector<HistoryLine> run;
};

Year& TheYear() {
  static Year year;
  return year;
}

void BM_LoadAndSchedule(benchmark::State& state) {
  Year& y = TheYear();
  for (auto _ : state) {
    History h;
    std::optional<std::string> warning;
    if (LoadHistory(y.path, h, warning)) std::abort();
    benchmark::DoNotOptimize(ScheduleByWord(h));
  }
}
BENCHMARK(BM_LoadAndSchedule)->Unit(benchmark::kMillisecond);

void BM_ComposePractice(benchmark::State& state) {
  Year& y = TheYear();
  History h;
  std::optional<std::string> warning;
  if (LoadHistory(y.path, h, warning)) std::abort();
  const ScheduleMap schedule = ScheduleByWord(h);
  for (auto _ : state) {
    const Practice p = ComposePractice(y.list, schedule, y.now, 48, "jyukugo.dat");
    if (p.lines != 48) std::abort();
    benchmark::DoNotOptimize(p.text.data());
  }
}
BENCHMARK(BM_ComposePractice)->Unit(benchmark::kMillisecond);

void BM_AppendRun(benchmark::State& state) {
  Year& y = TheYear();
  const std::string text = HistoryText(y.run);
  for (auto _ : state)
    if (AppendHistoryFile(y.path, text)) std::abort();
}
BENCHMARK(BM_AppendRun)->Unit(benchmark::kMillisecond);

// The floor under an append: the same bytes written to the end of a file and synced, with
// no lock and no check; what the disk itself costs.
void BM_SyncFloor(benchmark::State& state) {
  Year& y = TheYear();
  const std::string text = HistoryText(y.run);
  const std::string path = y.path + ".floor";
  const int fd = open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) std::abort();
  for (auto _ : state)
    if (write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()) ||
        fdatasync(fd) != 0)
      std::abort();
  close(fd);
  std::filesystem::remove(path);
}
BENCHMARK(BM_SyncFloor)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
