// Each step of a host's session with the module against the instant simulator (no modelled delays),
// in milliseconds, beside the waits the module prescribes on that step: the pause after creating each
// of its five queue timers (200 ms each, at construction) and no retry sleep, since nothing fails.
// What remains above those waits is the module's own cost. The module runs on the real clock.
// Usage: lifecycle_bench [REPETITIONS]
#include <cstdlib>
#include <thread>

#include "bench_host.h"

namespace {

using bench::Clock;

struct Step {
  const char* name;
  double prescribedMs;
  std::vector<double> wallMs;
  std::vector<double> cpuMs;
};

enum StepIndex { kConstruct, kOpen, kAttach, kConnect, kDisconnect, kClose, kRelease, kSteps };

constexpr double kTimerCreationPauseMs = 200;
constexpr int kTimersCreated = 5;  // four of the device manager, one for GPS notifications

// Runs action, waits for the next notification of code (if code >= 0), and books the time on step.
template <typename Action>
void Time(Step& step, bench::TimingSink& sink, int32_t code, Action action) {
  const std::size_t count = code >= 0 ? sink.Count(code) + 1 : 0;
  const double cpu0 = bench::ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  if (!action()) {
    bench::Fail(step.name);
  }
  if (code >= 0 && !sink.WaitForCount(code, count)) {
    bench::Fail(step.name);
  }
  step.wallMs.push_back(bench::Milliseconds(Clock::now() - start));
  step.cpuMs.push_back((bench::ProcessCpuSeconds() - cpu0) * 1e3);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
  bench::Simulator sim;
  bench::Module module;
  std::vector<Step> steps = {
      {"ConstructSDK", kTimersCreated * kTimerCreationPauseMs, {}, {}},
      {"Open", 0, {}, {}},
      {"attach to READY_TO_CONNECT", 0, {}, {}},
      {"Connect to CONNECTED", 0, {}, {}},
      {"Disconnect to DISCONNECTED", 0, {}, {}},
      {"Close", 0, {}, {}},
      {"Release", 0, {}, {}},
  };

  for (int r = 0; r < repetitions; ++r) {
    sim.Call<void>("VeskSimReset");
    sim.Load("[sim]\npin_status = 3\n[timing]\nauthenticate_ms = 0\nconnect_ms = 0\nstop_ms = 0\n");
    bench::TimingSink sink;
    bench::FilteringTraceLog traceLog;
    bench::AcceptingPowerSource power;
    ICellularSDK* sdk = nullptr;
    Time(steps[kConstruct], sink, -1, [&] {
      sdk = module.construct()(&sink, &traceLog, &power);
      return sdk != nullptr;
    });
    Time(steps[kOpen], sink, -1, [&] { return sdk->Open(); });
    Time(steps[kAttach], sink, WWAN_NOTIFICATION_READY_TO_CONNECT, [&] { return sdk->AttachToCellularDevice(); });
    // The information pass goes on after the readiness notice; the host connects once it has ended.
    std::this_thread::sleep_for(std::chrono::seconds(1));
    Time(steps[kConnect], sink, WWAN_NOTIFICATION_CONNECTED, [&] { return sdk->Connect("internet", "", ""); });
    Time(steps[kDisconnect], sink, WWAN_NOTIFICATION_DISCONNECTED, [&] { return sdk->Disconnect(); });
    Time(steps[kClose], sink, -1, [&] { return sdk->Close(); });
    Time(steps[kRelease], sink, -1, [&] {
      sdk->Release();
      return true;
    });
  }

  std::printf("lifecycle_bench: %d repetitions, medians; CPU ms of the step in brackets\n", repetitions);
  for (const Step& step : steps) {
    const double wall = bench::Quantile(step.wallMs, 0.5);
    const double cpu = bench::Quantile(step.cpuMs, 0.5);
    std::printf("  %-28s %9.2f ms (%.2f CPU)  prescribed %6.0f ms  beyond %7.2f ms\n", step.name, wall, cpu,
                step.prescribedMs, wall - step.prescribedMs);
    // The ratio column of this table is the time beyond the prescribed waits, in ms, against 5 ms.
    std::printf("RESULT|lifecycle|%s|%.2f|ms|%.0f|+%.2f ms|<= +5 ms\n", step.name, wall, step.prescribedMs,
                wall - step.prescribedMs);
  }
  sim.Call<void>("VeskSimReset");
  return 0;
}
