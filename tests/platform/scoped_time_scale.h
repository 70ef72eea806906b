// Shortens the platform clock for one test, and the one generous bound for what tests wait for.
#pragma once

#include <chrono>

#include "platform/clock.h"

namespace platform {

inline constexpr std::chrono::seconds kGenerousWait{10};
inline uint32_t GenerousWaitMs() {
  return static_cast<uint32_t>(10000 / TimeScale());
}

struct ScopedTimeScale {
  explicit ScopedTimeScale(double scale) { SetTimeScale(scale); }
  ~ScopedTimeScale() { SetTimeScale(1.0); }
};

}  // namespace platform
