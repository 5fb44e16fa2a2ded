// Event-loop cost per fall tick, and wall time for ten minutes of virtual play with a
// random key or click every 100 to 300 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <random>

#include "app/engine.h"
#include "elements/runtime.h"
#include "game/form1.h"

namespace {

using namespace quendar;

// Runs in a scratch copy of the shipped word list's directory.
struct Session {
  Session() {
    engine.random.Seed(1);
    rt.Start("Form1");
  }
  Form1& form() { return static_cast<Form1&>(*rt.Get("Form1")); }
  HeadlessEngine engine;
  Runtime& rt = engine.runtime;
};

void EnterAssets() {
  static bool done = false;
  if (done) return;
  done = true;
  if (chdir(QUENDAR_SOURCE_DIR "/assets") != 0) std::abort();
}

void BM_FallTick(benchmark::State& state) {
  EnterAssets();
  auto s = std::make_unique<Session>();
  for (auto _ : state) {
    s->rt.RunTimersUntil(s->rt.Now() + 10);
    if (!s->form().Timer1->Enabled()) {
      state.PauseTiming();
      s = std::make_unique<Session>();
      state.ResumeTiming();
    }
  }
}
BENCHMARK(BM_FallTick);

void BM_TenMinutesOfVirtualPlay(benchmark::State& state) {
  EnterAssets();
  for (auto _ : state) {
    Session s;
    std::mt19937 gen(7);
    std::uniform_int_distribution<int> gap(100, 300), what(0, 9), slot(0, 7);
    const int keys[] = {37, 39, 38, 40, 13, 32};
    while (s.rt.Now() < 600000 && !s.rt.Exited()) {
      s.rt.RunTimersUntil(s.rt.Now() + gap(gen));
      const int w = what(gen);
      if (w < 6)
        s.rt.Key(keys[w]);
      else
        s.rt.Click("Label2", slot(gen));
    }
    benchmark::DoNotOptimize(s.form().score);
  }
  state.SetLabel("600 s of virtual time per iteration");
}
BENCHMARK(BM_TenMinutesOfVirtualPlay)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
