// Figures for bench/run, written at exit when QUENDAR_BENCH_STATS names a file: the time
// from QUENDAR_BENCH_T0 (the benchmark's exec time) to the first frame, from the hand-over
// to the main window's first visible frame, frames drawn, the SDL video driver, and
// how punctually the fall timer ticked since the main window opened. Without the variable
// the hooks are empty and the game does nothing extra.
#pragma once

#include "platform/frontend.h"

namespace quendar {

FrontEndHooks BenchStatsHooks();

}  // namespace quendar
