#include "app/bench_stats.h"

#include <SDL.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace quendar {

namespace {

long long RealtimeNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

Runtime::TickStats FallTicks(const Runtime& runtime) {
  for (const auto& [name, stats] : runtime.tickStats())
    if (name == "Form1.Timer1") return stats;
  return {};
}

struct Stats {
  const char* file;
  long long t0 = 0, firstFrame = 0, handOver = 0, mainFirstFrame = 0;
  const Window* main = nullptr;
  unsigned long long frames = 0;
  long long droppedByFirstFrame = -1;  // fall ticks dropped during the hand-over
  std::string videoDriver;

  void Write(const Runtime& runtime) const {
    const Runtime::TickStats fall = FallTicks(runtime);
    const long long end = RealtimeNs();
    FILE* f = std::fopen(file, "w");
    if (!f) return;
    // A figure that was never reached is written as -1, never as a plausible time.
    auto ms = [](long long from, long long to) { return from && to ? (to - from) / 1e6 : -1.0; };
    std::fprintf(f,
                 "{\"first_frame_ms\":%.1f,\"to_first_visible_ms\":%.1f,\"frames\":%llu,"
                 "\"play_ticks\":%llu,\"dropped\":%llu,\"max_late_ms\":%lld,\"seconds\":%.3f,"
                 "\"play_seconds\":%.3f,\"dropped_by_first_visible\":%lld,"
                 "\"video_driver\":\"%s\"}\n",
                 ms(t0, firstFrame), ms(handOver, mainFirstFrame), frames,
                 static_cast<unsigned long long>(fall.delivered),
                 static_cast<unsigned long long>(fall.dropped),
                 static_cast<long long>(fall.maxLateMs), (end - t0) / 1e9,
                 handOver ? (end - handOver) / 1e9 : 0.0, droppedByFirstFrame, videoDriver.c_str());
    std::fclose(f);
  }
};

}  // namespace

FrontEndHooks BenchStatsHooks() {
  const char* file = std::getenv("QUENDAR_BENCH_STATS");
  if (!file) return {};
  auto stats = std::make_shared<Stats>();
  stats->file = file;
  const char* t0 = std::getenv("QUENDAR_BENCH_T0");
  stats->t0 = t0 ? std::atoll(t0) : RealtimeNs();
  FrontEndHooks hooks;
  hooks.frameShown = [stats](const Window& window) {
    const long long now = RealtimeNs();
    if (stats->frames++ == 0) stats->firstFrame = now;
    if (&window == stats->main && !stats->mainFirstFrame) stats->mainFirstFrame = now;
  };
  // The hand-over: the opening gives way to the main window the moment the runtime has one.
  hooks.eventsDelivered = [stats](const Runtime& runtime) {
    if (!stats->handOver) {
      if ((stats->main = runtime.Get("Form1"))) stats->handOver = RealtimeNs();
    } else if (stats->mainFirstFrame && stats->droppedByFirstFrame < 0) {
      stats->droppedByFirstFrame = static_cast<long long>(FallTicks(runtime).dropped);
    }
  };
  hooks.finished = [stats](const Runtime& runtime) {
    const char* driver = SDL_GetCurrentVideoDriver();
    stats->videoDriver = driver ? driver : "";
    stats->Write(runtime);
  };
  return hooks;
}

}  // namespace quendar
