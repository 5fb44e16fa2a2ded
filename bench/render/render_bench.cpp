// The cost of drawing the main window: a repaint with warm caches (what every frame of
// play costs), at 1× and 2×, and the first frame, which renders every glyph afresh; then
// the two halves of a window's frame (building the description, executing it) and the
// partial redraw a fall step costs once only the changed rectangles are drawn; and what a
// match costs the study strip beside the field.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

#include "app/engine.h"
#include "elements/frame.h"
#include "elements/runtime.h"
#include "game/form1.h"
#include "platform/canvas.h"
#include "platform/offscreen.h"
#include "study/strip.h"

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

// A whole window's surface, menu bar included, at a scale, as the SDL window draws it.
struct WindowSurface {
  WindowSurface(const Window& w, double scale) {
    std::tie(width, height) = WindowSizeAt(w, scale);
    surface.reset(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_RGB888));
    if (!surface) std::abort();
  }
  int width = 0, height = 0;
  SurfacePtr surface;
};

// The session drawn as the game's window is, at the scale the benchmark is given.
struct WindowRig {
  explicit WindowRig(const benchmark::State& state)
      : out(session.form(), static_cast<double>(state.range(0))) {}
  Frame Describe() { return BuildWindowFrame(session.form(), out.width, out.height, -1, canvas); }
  Session session;
  FontLibrary fonts;
  PictureStore pictures;
  SdlCanvas canvas{fonts, pictures};
  WindowSurface out;
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

// As at the hand-over: the faces are matched (the game does that at start) but no size is
// open yet, no glyph rendered and no picture scaled.
void BM_Form1FirstFrame(benchmark::State& state) {
  Session session;
  const double scale = static_cast<double>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    {
      FontLibrary fonts;
      fonts.Face("ＭＳ 明朝");
      fonts.Face("ＭＳ ゴシック");
      PictureStore pictures;
      OffscreenCanvas canvas(fonts, pictures);
      state.ResumeTiming();
      benchmark::DoNotOptimize(canvas.Draw(session.form(), scale));
      state.PauseTiming();
    }
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Form1FirstFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// Building the description of one full main-window frame, text measured by the canvas
// whose caches are warm.
void BM_Form1Describe(benchmark::State& state) {
  WindowRig rig(state);
  rig.canvas.Execute(rig.out.surface.get(), rig.Describe());
  for (auto _ : state)
    benchmark::DoNotOptimize(rig.Describe());
}
BENCHMARK(BM_Form1Describe)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// Executing that description on the whole window surface: the full redraw of an expose.
void BM_Form1Execute(benchmark::State& state) {
  WindowRig rig(state);
  const Frame frame = rig.Describe();
  rig.canvas.Execute(rig.out.surface.get(), frame);
  for (auto _ : state)
    rig.canvas.Execute(rig.out.surface.get(), frame);
}
BENCHMARK(BM_Form1Execute)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// One block moved one fall step: the rectangles that differ between the two frames, and
// those rectangles drawn. Alternates between the two frames so every iteration is one step.
void BM_FallStepRedraw(benchmark::State& state) {
  WindowRig rig(state);
  SdlCanvas& canvas = rig.canvas;
  const WindowSurface& out = rig.out;
  Frame frames[2];
  frames[0] = rig.Describe();
  // The fall timer ticks every 10 ms; the first tick that changes what is drawn is a step.
  for (int i = 0; i < 100; ++i) {
    rig.session.engine.Wait(10);
    frames[1] = rig.Describe();
    if (!ChangedAreas(frames[0], frames[1]).empty()) break;
  }
  const auto step = ChangedAreas(frames[0], frames[1]);
  if (step.empty()) {
    state.SkipWithError("no fall step within a second of play");
    return;
  }
  canvas.Execute(out.surface.get(), frames[0]);
  long long pixels = 0;
  for (const PxRect& a : step)
    pixels += static_cast<long long>(a.w) * a.h;
  int at = 0;
  for (auto _ : state) {
    const std::vector<PxRect> areas = ChangedAreas(frames[at], frames[1 - at]);
    canvas.Execute(out.surface.get(), frames[1 - at], &areas);
    at = 1 - at;
  }
  state.counters["areas"] = static_cast<double>(step.size());
  state.counters["pixels"] = static_cast<double>(pixels);
  state.counters["of_window_%"] = 100.0 * static_cast<double>(pixels) / (out.width * out.height);
}
BENCHMARK(BM_FallStepRedraw)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// The study strip's share of a match: the record changed, so the strip is laid out again,
// its text fitted, the frame compared with the one before the match and the changed
// rectangles drawn. Each iteration redoes that from the frame before the match; the first
// one, with glyphs never drawn before, is timed on its own.
void BM_StripMatchUpdate(benchmark::State& state) {
  Session session;
  HeadlessEngine& e = session.engine;
  StudyStrip strip(e.study, "Form1");
  const Window& form = session.form();
  const double scale = static_cast<double>(state.range(0));
  const auto [w, h] = WindowSizeAt(form, scale, strip.For(form));
  SurfacePtr surface(SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGB888));
  FontLibrary fonts;
  PictureStore pictures;
  SdlCanvas canvas(fonts, pictures);
  auto describe = [&] { return BuildWindowFrame(form, w, h, -1, canvas, strip.For(form)); };
  // A fall step with the strip shown: the strip must not be drawn again.
  Frame before = describe();
  canvas.Execute(surface.get(), before);
  e.Wait(200);
  long long stripPixelsOnFall = 0;
  for (const PxRect& a : ChangedAreas(before, describe()))
    stripPixelsOnFall +=
        static_cast<long long>(Intersect(a, before.panel).w) * Intersect(a, before.panel).h;
  // Hit the target: the bottom block of the target's slot.
  before = describe();
  canvas.Execute(surface.get(), before);
  const auto& form1 = static_cast<const Form1&>(form);
  e.runtime.Click("Label2", form1.targetCol);
  const std::size_t matchedBefore = e.study.matchOrder().size();
  for (int i = 0; i < 40 && e.study.matchOrder().size() == matchedBefore; ++i)
    e.Wait(50);
  if (e.study.matchOrder().size() == matchedBefore) {
    state.SkipWithError("no match");
    return;
  }
  const auto started = std::chrono::steady_clock::now();
  Frame after = describe();
  auto areas = ChangedAreas(before, after);
  canvas.Execute(surface.get(), after, &areas);
  const double firstMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
  long long stripPixels = 0;
  for (const PxRect& a : areas)
    stripPixels +=
        static_cast<long long>(Intersect(a, after.panel).w) * Intersect(a, after.panel).h;
  double describeUs = 0, compareUs = 0, executeUs = 0;
  // Timed in parts: the strip's layout and its share of the description (the description
  // with the strip less the one without), the comparison, and drawing the rectangles that
  // lie in the strip; the field's own rectangles are drawn untimed.
  for (auto _ : state) {
    state.PauseTiming();
    canvas.Execute(surface.get(), before);
    const auto f0 = std::chrono::steady_clock::now();
    (void)BuildWindowFrame(form, w, h, -1, canvas, nullptr);
    const auto f1 = std::chrono::steady_clock::now();
    state.ResumeTiming();
    const auto t0 = std::chrono::steady_clock::now();
    strip.Rebuild(form.clientHeightPx);  // as a new revision of the record does
    after = describe();
    const auto t1 = std::chrono::steady_clock::now();
    areas = ChangedAreas(before, after);
    std::vector<PxRect> inStrip, inField;
    for (const PxRect& a : areas)
      (Intersect(a, after.panel).Empty() ? inField : inStrip).push_back(a);
    const auto t2 = std::chrono::steady_clock::now();
    canvas.Execute(surface.get(), after, &inStrip);
    const auto t3 = std::chrono::steady_clock::now();
    state.PauseTiming();
    canvas.Execute(surface.get(), after, &inField);
    state.ResumeTiming();
    describeUs += std::chrono::duration<double, std::micro>((t1 - t0) - (f1 - f0)).count();
    compareUs += std::chrono::duration<double, std::micro>(t2 - t1).count();
    executeUs += std::chrono::duration<double, std::micro>(t3 - t2).count();
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["strip_describe_us"] = describeUs / n;
  state.counters["compare_us"] = compareUs / n;
  state.counters["strip_execute_us"] = executeUs / n;
  state.counters["strip_total_us"] = (describeUs + compareUs + executeUs) / n;
  state.counters["first_ms"] = firstMs;
  state.counters["strip_px_changed"] = static_cast<double>(stripPixels);
  state.counters["strip_px_on_fall_step"] = static_cast<double>(stripPixelsOnFall);
}
BENCHMARK(BM_StripMatchUpdate)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
