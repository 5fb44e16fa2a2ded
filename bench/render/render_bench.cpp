// The cost of drawing the main window: a repaint with warm caches (what every frame of
// play costs), at 1× and 2×, and the first frame, which renders every glyph afresh.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>

#include "app/engine.h"
#include "elements/runtime.h"
#include "platform/offscreen.h"

namespace {

using namespace quendar;

// The main window a few seconds into a round, on the shipped word list.
struct Session {
  Session() {
    if (chdir(QUENDAR_SOURCE_DIR "/assets") != 0) std::abort();
    engine.random.Seed(1);
    if (!engine.runtime.Start("Form1")) std::abort();
    engine.Wait(3000);
  }
  const Window& form() const { return *engine.runtime.Get("Form1"); }
  HeadlessEngine engine;
};

void BM_Form1Frame(benchmark::State& state) {
  Session session;
  FontLibrary fonts;
  PictureStore pictures;
  OffscreenCanvas canvas(fonts, pictures);
  const double scale = static_cast<double>(state.range(0));
  canvas.Draw(session.form(), scale);
  for (auto _ : state)
    benchmark::DoNotOptimize(canvas.Draw(session.form(), scale));
}
BENCHMARK(BM_Form1Frame)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

void BM_Form1FirstFrame(benchmark::State& state) {
  Session session;
  FontLibrary fonts;
  PictureStore pictures;
  for (auto _ : state) {
    OffscreenCanvas canvas(fonts, pictures);
    benchmark::DoNotOptimize(canvas.Draw(session.form(), 1.0));
  }
}
BENCHMARK(BM_Form1FirstFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
