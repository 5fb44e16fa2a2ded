// Figures for bench/run, written at exit when QUENDAR_BENCH_STATS names a file: the time
// from QUENDAR_BENCH_T0 (the benchmark's exec time) to the first frame, frames drawn, and
// how punctually the fall timer ticked since the main window opened. Without the variable
// the hooks are empty and the game does nothing extra.
#pragma once

#include "platform/frontend.h"

namespace quendar {

FrontEndHooks BenchStatsHooks();

}  // namespace quendar
