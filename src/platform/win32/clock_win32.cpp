// This file must contain only Win32 code.
#include "platform/clock.h"

#include <windows.h>

#include <cmath>
#include <type_traits>

#include "platform/win32/win32_error.h"

namespace platform {
namespace {

// Unscaled, the clock is GetTickCount itself. The first scale change starts piecewise-linear scaled
// time at the tick count of that moment, measured from then on with the performance counter, whose
// resolution (unlike the tick's 10-16 ms) survives a factor of 0.02. Each later change starts a new
// piece at the current scaled time, which keeps it continuous and monotonic. Trivially destructible,
// so threads that outlive static destruction can still read it.
struct ClockState {
  SRWLOCK lock;
  bool scaled;
  int64_t realBase;      // performance-counter ticks
  int64_t scaledBaseNs;  // scaled time at realBase
  double scale;
};

static_assert(std::is_trivially_destructible_v<ClockState>);

ClockState gState = {SRWLOCK_INIT, false, 0, 0, 1.0};

int64_t CounterNow() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int64_t CounterFrequency() {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

// Called with the lock held, once scaled.
int64_t ScaledNowNsLocked(int64_t counter) {
  static const double nsPerTick = 1e9 / static_cast<double>(CounterFrequency());
  const double elapsedNs = static_cast<double>(counter - gState.realBase) * nsPerTick;
  return gState.scaledBaseNs + static_cast<int64_t>(std::llround(elapsedNs / gState.scale));
}

}  // namespace

namespace win32 {

uint32_t RealMs(uint32_t ms) {
  if (ms == kInfinite) {
    return INFINITE;
  }
  const double real = std::ceil(static_cast<double>(ms) * TimeScale());
  return real < static_cast<double>(INFINITE - 1) ? static_cast<uint32_t>(real) : INFINITE - 1;
}

}  // namespace win32

uint32_t TickCount() {
  AcquireSRWLockShared(&gState.lock);
  const bool scaled = gState.scaled;
  const int64_t ns = scaled ? ScaledNowNsLocked(CounterNow()) : 0;
  ReleaseSRWLockShared(&gState.lock);
  return scaled ? static_cast<uint32_t>(static_cast<uint64_t>(ns / 1000000)) : GetTickCount();
}

void Sleep(uint32_t ms) {
  ::Sleep(win32::RealMs(ms));
}

void SetTimeScale(double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) {
    return;
  }
  AcquireSRWLockExclusive(&gState.lock);
  const int64_t counter = CounterNow();
  if (gState.scaled) {
    gState.scaledBaseNs = ScaledNowNsLocked(counter);
  } else {
    gState.scaledBaseNs = static_cast<int64_t>(GetTickCount64() % 0x100000000ull) * 1000000;
    gState.scaled = true;
  }
  gState.realBase = counter;
  gState.scale = scale;
  ReleaseSRWLockExclusive(&gState.lock);
}

double TimeScale() {
  AcquireSRWLockShared(&gState.lock);
  const double scale = gState.scale;
  ReleaseSRWLockShared(&gState.lock);
  return scale;
}

std::chrono::steady_clock::duration ScaledDuration(uint32_t ms) {
  const double ns = static_cast<double>(ms) * 1e6 * TimeScale();
  // Saturate well below the representable range so that adding it to now() cannot overflow.
  constexpr double kMaxNs = 1e18;
  return std::chrono::steady_clock::duration(
      static_cast<std::chrono::steady_clock::rep>(ns < kMaxNs ? ns : kMaxNs));
}

}  // namespace platform
