#include "platform/clock.h"

#include <cmath>
#include <mutex>
#include <thread>
#include <type_traits>

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// Scaled time is piecewise linear in real time: each scale change starts a new piece at the current
// scaled time, which keeps it continuous and monotonic. Trivially destructible, so threads that
// outlive static destruction can still read it.
struct ClockState {
  std::mutex lock;
  SteadyClock::time_point realBase{};
  int64_t scaledBaseNs = 0;
  double scale = 1.0;
  bool started = false;
};

static_assert(std::is_trivially_destructible_v<ClockState>);

ClockState& State() {
  static ClockState state;
  return state;
}

int64_t ScaledNowNsLocked(ClockState& state, SteadyClock::time_point now) {
  if (!state.started) {
    state.realBase = now;
    state.started = true;
  }
  const double elapsedNs = static_cast<double>((now - state.realBase).count());
  return state.scaledBaseNs + static_cast<int64_t>(std::llround(elapsedNs / state.scale));
}

}  // namespace

uint32_t TickCount() {
  ClockState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return static_cast<uint32_t>(static_cast<uint64_t>(ScaledNowNsLocked(state, SteadyClock::now()) / 1000000));
}

void Sleep(uint32_t ms) {
  std::this_thread::sleep_for(ScaledDuration(ms));
}

void SetTimeScale(double scale) {
  if (!(scale > 0.0) || !std::isfinite(scale)) {
    return;
  }
  ClockState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  const SteadyClock::time_point now = SteadyClock::now();
  const int64_t scaledNow = ScaledNowNsLocked(state, now);
  state.realBase = now;
  state.scaledBaseNs = scaledNow;
  state.scale = scale;
}

double TimeScale() {
  ClockState& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.scale;
}

SteadyClock::duration ScaledDuration(uint32_t ms) {
  const double ns = static_cast<double>(ms) * 1e6 * TimeScale();
  // Saturate well below the representable range so that adding it to now() cannot overflow.
  constexpr double kMaxNs = 1e18;
  return SteadyClock::duration(static_cast<SteadyClock::rep>(ns < kMaxNs ? ns : kMaxNs));
}

}  // namespace platform
