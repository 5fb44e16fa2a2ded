#include "app/bench_stats.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace quendar {

namespace {

long long RealtimeNs() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec * 1000000000LL + ts.tv_nsec;
}

struct Stats {
  const char* file;
  long long t0 = 0, firstFrame = 0, playStart = 0;
  unsigned long long frames = 0;

  void Write(const Runtime& runtime) const {
    Runtime::TickStats fall;
    for (const auto& [name, stats] : runtime.tickStats())
      if (name == "Form1.Timer1") fall = stats;
    const long long end = RealtimeNs();
    FILE* f = std::fopen(file, "w");
    if (!f) return;
    std::fprintf(f,
                 "{\"first_frame_ms\":%.1f,\"frames\":%llu,\"play_ticks\":%llu,"
                 "\"dropped\":%llu,\"max_late_ms\":%lld,\"seconds\":%.3f,"
                 "\"play_seconds\":%.3f}\n",
                 (firstFrame - t0) / 1e6, frames, static_cast<unsigned long long>(fall.delivered),
                 static_cast<unsigned long long>(fall.dropped),
                 static_cast<long long>(fall.maxLateMs), (end - t0) / 1e9,
                 playStart ? (end - playStart) / 1e9 : 0.0);
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
  hooks.frameShown = [stats] {
    if (stats->frames++ == 0) stats->firstFrame = RealtimeNs();
  };
  hooks.eventsDelivered = [stats](const Runtime& runtime) {
    if (!stats->playStart && runtime.Get("Form1")) stats->playStart = RealtimeNs();
  };
  hooks.finished = [stats](const Runtime& runtime) { stats->Write(runtime); };
  return hooks;
}

}  // namespace quendar
