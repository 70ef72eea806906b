#include "sim/sim_clock.h"

#include <atomic>
#include <cmath>

namespace vesksim {
namespace {

std::atomic<double> g_scale{1.0};

}  // namespace

void SetTimeScale(double scale) {
  if (scale > 0 && std::isfinite(scale)) {
    g_scale.store(scale);
  }
}

double TimeScale() {
  return g_scale.load();
}

SteadyClock::duration Scaled(uint32_t ms) {
  const double real = static_cast<double>(ms) * TimeScale();
  return std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double, std::milli>(real));
}

SteadyClock::time_point DueIn(uint32_t ms) {
  return SteadyClock::now() + Scaled(ms);
}

}  // namespace vesksim
