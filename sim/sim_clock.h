// The simulator's own clock. Every delay and period of the simulated modem is given in milliseconds
// of modem time and stretched or shrunk by one scale factor (1 by default), so that tests run a
// modem's long waits quickly, the same way the module's platform clock shortens its own.
#pragma once

#include <chrono>
#include <cstdint>

namespace vesksim {

using SteadyClock = std::chrono::steady_clock;

// Sets the factor (> 0; other values are ignored).
void SetTimeScale(double scale);
double TimeScale();

// The real duration of ms of modem time.
SteadyClock::duration Scaled(uint32_t ms);

// The real point in time ms of modem time from now.
SteadyClock::time_point DueIn(uint32_t ms);

}  // namespace vesksim
