// vesk-soak [--sessions N] [--seed S] [--steps N] [--time-scale X] [--verbose] [--dump FILE]
//
// Runs N seeded sessions (seeds S, S+1, ...) of the module against a misbehaving simulated modem and
// stops at the first broken invariant, printing the seed that replays it: vesk-soak --seed SEED
// --sessions 1. Exit status 0 when every session kept every invariant, 1 on a violation, 2 on a
// deadlock (a step that never returned). --dump writes the failing session's trace and notifications.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "soak/simulator_control.h"
#include "soak/soak_session.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: vesk-soak [--sessions N] [--seed S] [--steps N] [--time-scale X] [--verbose]\n                 [--dump FILE]\n");
  return 64;
}

}  // namespace

int main(int argc, char** argv) {
  uint64_t sessions = 100;
  uint64_t seed = 1;
  soak::SessionOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--sessions" && hasValue) {
      sessions = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--seed" && hasValue) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (arg == "--steps" && hasValue) {
      options.steps = std::atoi(argv[++i]);
    } else if (arg == "--time-scale" && hasValue) {
      options.timeScale = std::atof(argv[++i]);
    } else if (arg == "--dump" && hasValue) {
      options.dumpPath = argv[++i];
    } else if (arg == "--verbose") {
      options.verbose = true;
    } else {
      return Usage();
    }
  }
  if (options.timeScale <= 0 || options.steps < 0) {
    return Usage();
  }

  const soak::SimulatorControl simulator;
  soak::PrepareDeviceTree();
  const auto start = std::chrono::steady_clock::now();
  for (uint64_t n = 0; n < sessions; ++n) {
    const uint64_t sessionSeed = seed + n;
    const std::string violation = soak::RunSession(simulator, sessionSeed, options);
    if (!violation.empty()) {
      std::fprintf(stderr, "vesk-soak: VIOLATION (seed %llu): %s\n", static_cast<unsigned long long>(sessionSeed),
                   violation.c_str());
      std::fprintf(stderr, "vesk-soak: replay with --seed %llu --sessions 1\n",
                   static_cast<unsigned long long>(sessionSeed));
      return 1;
    }
    if ((n + 1) % 100 == 0) {
      std::printf("vesk-soak: %llu sessions passed\n", static_cast<unsigned long long>(n + 1));
      std::fflush(stdout);
    }
  }
  const auto seconds =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count() / 1000.0;
  std::printf("vesk-soak: %llu sessions (seeds %llu to %llu) passed in %.1f s\n",
              static_cast<unsigned long long>(sessions), static_cast<unsigned long long>(seed),
              static_cast<unsigned long long>(seed + sessions - 1), seconds);
  return 0;
}
