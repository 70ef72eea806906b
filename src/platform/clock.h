// The one clock of the module: every wait, sleep, timer due time and tick count goes through it.
//
// Tests shorten the module's long intervals with a process-wide scale factor (1 by default): at 0.02 a
// 6000 ms wait lasts 120 ms of real time and TickCount() advances 50 times faster. The module itself
// never changes the factor.
#pragma once

#include <chrono>
#include <cstdint>

namespace platform {

// A wait or due time that never ends.
inline constexpr uint32_t kInfinite = 0xFFFFFFFF;

// Milliseconds of scaled time since an arbitrary start; wraps like a 32-bit tick counter.
uint32_t TickCount();

// Blocks the calling thread for ms of scaled time.
void Sleep(uint32_t ms);

// Test-only: sets the scale factor (> 0). Scaled time stays monotonic across a change.
void SetTimeScale(double scale);
double TimeScale();

// The real duration of ms of scaled time (kInfinite is not special here).
std::chrono::steady_clock::duration ScaledDuration(uint32_t ms);

}  // namespace platform
