// One seeded soak session: a fresh device manager with the host kit's recording host objects, opened,
// driven through random host operations while the simulator fails, slows and holds vendor calls and
// fires bursts of events, then closed and released. The invariants are checked after every step.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

class SimulatorControl;

struct SessionOptions {
  double timeScale = 0.05;
  int steps = 24;  // host operations between the open and the final close
  bool verbose = false;
  std::string dumpPath;  // where a failing session's trace and notifications go, if anywhere
};

// Runs the session of this seed; returns the first invariant it broke, or an empty text. A step that
// never returns (a deadlock) ends the process from a watchdog, after printing the seed.
std::string RunSession(const SimulatorControl& simulator, uint64_t seed, const SessionOptions& options);

// Once per process, before the first session: the device tree of the two modems that the sessions'
// scenarios describe, so that a host may name either one.
void PrepareDeviceTree();

}  // namespace soak
