// Vendor callback to host sink through the simulator, beside bare hand-offs measured in the same run:
//  - latency: from the signal callback's entry (its first trace line) to the sink, against a bare
//    mutex-and-condition-variable hand-off between two threads;
//  - burst throughput: a burst of signal callbacks queued up behind a held first one, released at once,
//    against a bare locked deque between two threads. Every notification must arrive, in order.
// The host's trace log drops lines unformatted. Usage: notify_bench [SAMPLES [BURST [REPETITIONS]]]
#include <cinttypes>
#include <cstdlib>
#include <deque>
#include <thread>

#include "bench_host.h"

namespace {

using bench::Clock;

constexpr const char* kWeak = "signal = -110";   // below every threshold the module registers
constexpr const char* kStrong = "signal = -60";  // above every one: each change crosses a band
constexpr intptr_t kWeakDbm = -110;
constexpr intptr_t kStrongDbm = -60;

// The n-th signal played: weak and strong in turn, so that each one crosses a band and is reported.
const char* Signal(std::size_t n) {
  return n % 2 == 0 ? kWeak : kStrong;
}

intptr_t SignalDbm(std::size_t n) {
  return n % 2 == 0 ? kWeakDbm : kStrongDbm;
}

void Pause() {
  std::this_thread::sleep_for(std::chrono::microseconds(200));
}

struct Setup {
  bench::Simulator sim;
  bench::Module module;
  bench::TimingSink sink;
  bench::FilteringTraceLog traceLog{"CVeskSDK::SignalStrengthCallback"};
  bench::AcceptingPowerSource power;
  ICellularSDK* sdk = nullptr;
  std::size_t played = 0;  // signals played so far
};

void Attach(Setup& s) {
  s.sim.Call<void>("VeskSimReset");
  s.sim.Call<void>("VeskSimSetTimeScale", 0.01);
  s.sim.Load("[sim]\npin_status = 3\n");
  s.sdk = s.module.construct()(&s.sink, &s.traceLog, &s.power);
  if (s.sdk == nullptr || !s.sdk->Open() || !s.sdk->AttachToCellularDevice()) {
    bench::Fail("notify_bench: the module did not open or attach");
  }
  if (!s.sink.WaitForCount(WWAN_NOTIFICATION_READY_TO_CONNECT, 1)) {
    bench::Fail("notify_bench: never ready to connect");
  }
  // The information pass goes on after the readiness notice; let it end.
  std::this_thread::sleep_for(std::chrono::seconds(1));
}

// Microseconds from callback entry to the sink, one callback at a time.
std::vector<double> ModuleLatencies(Setup& s, std::size_t samples) {
  std::vector<Clock::time_point> marks;
  const std::size_t base = s.sink.Count(WWAN_NOTIFICATION_RSSI);
  for (std::size_t i = 0; i < samples; ++i) {
    Pause();
    s.traceLog.Arm();
    s.sim.Event(Signal(s.played++));
    if (!s.sink.WaitForCount(WWAN_NOTIFICATION_RSSI, base + i + 1)) {
      bench::Fail("notify_bench: a signal notification never arrived");
    }
    marks.push_back(s.traceLog.marked());
  }
  const auto arrivals = s.sink.Arrivals(WWAN_NOTIFICATION_RSSI);
  std::vector<double> latencies;
  for (std::size_t i = 0; i < samples; ++i) {
    latencies.push_back(bench::Microseconds(arrivals[base + i].time - marks[i]));
  }
  return latencies;
}

// Microseconds from a notify to the waiting thread's wake-up.
std::vector<double> HandOffLatencies(std::size_t samples) {
  std::mutex lock;
  std::condition_variable posted;
  std::condition_variable taken;
  uint64_t sequence = 0;
  uint64_t seen = 0;
  Clock::time_point received;
  std::thread consumer([&] {
    std::unique_lock<std::mutex> guard(lock);
    for (std::size_t i = 0; i < samples; ++i) {
      posted.wait(guard, [&] { return sequence != seen; });
      received = Clock::now();
      seen = sequence;
      taken.notify_one();
    }
  });
  std::vector<double> latencies;
  for (std::size_t i = 0; i < samples; ++i) {
    Pause();
    const Clock::time_point sent = Clock::now();
    {
      std::lock_guard<std::mutex> guard(lock);
      ++sequence;
    }
    posted.notify_one();
    std::unique_lock<std::mutex> guard(lock);
    taken.wait(guard, [&] { return seen == sequence; });
    latencies.push_back(bench::Microseconds(received - sent));
  }
  consumer.join();
  return latencies;
}

struct Burst {
  double perSecond = 0;
  double cpuNsEach = 0;
  double switchesPerThousand = 0;  // context switches of the process per 1000 items
};

// One burst of n signal callbacks through the module; fails on a lost or reordered notification.
Burst ModuleBurst(Setup& s, std::size_t n) {
  const std::size_t base = s.sink.Count(WWAN_NOTIFICATION_RSSI);
  s.sink.Reserve(base + n + 64);
  Pause();
  s.traceLog.Arm(true);
  const std::size_t first = s.played;
  for (std::size_t i = 0; i < n; ++i) {
    s.sim.Event(Signal(s.played++));
  }
  if (!s.traceLog.WaitHeld()) {
    bench::Fail("notify_bench: the burst's first callback never came");
  }
  const double cpu0 = bench::ProcessCpuSeconds();
  const long switches0 = bench::ContextSwitches();
  const Clock::time_point start = Clock::now();
  s.traceLog.Release();
  if (!s.sink.WaitForCount(WWAN_NOTIFICATION_RSSI, base + n)) {
    bench::Fail("notify_bench: signal notifications were lost");
  }
  const double cpu1 = bench::ProcessCpuSeconds();
  const long switches1 = bench::ContextSwitches();
  const auto arrivals = s.sink.Arrivals(WWAN_NOTIFICATION_RSSI);
  for (std::size_t i = 0; i < n; ++i) {
    const auto dbm = static_cast<intptr_t>(arrivals[base + i].param1);
    if (dbm != SignalDbm(first + i)) {
      bench::Fail("notify_bench: signal notifications arrived out of order");
    }
  }
  Burst burst;
  const double seconds = std::chrono::duration<double>(arrivals[base + n - 1].time - start).count();
  burst.perSecond = static_cast<double>(n) / seconds;
  burst.cpuNsEach = (cpu1 - cpu0) * 1e9 / static_cast<double>(n);
  burst.switchesPerThousand = static_cast<double>(switches1 - switches0) * 1000.0 / static_cast<double>(n);
  return burst;
}

// n items through a bare locked deque from one thread to another. The consumer is already waiting
// when the burst begins, as the module's notification worker is: otherwise the producer fills the
// deque before the consumer first runs and no hand-off is measured at all.
Burst DequeBurst(std::size_t n) {
  std::mutex lock;
  std::condition_variable ready;
  std::condition_variable consumerWaiting;
  std::deque<uint64_t> queue;
  bool waiting = false;
  uint64_t sum = 0;
  Clock::time_point last;
  std::thread consumer([&] {
    std::unique_lock<std::mutex> guard(lock);
    waiting = true;
    consumerWaiting.notify_one();
    for (std::size_t i = 0; i < n; ++i) {
      ready.wait(guard, [&] { return !queue.empty(); });
      sum += queue.front();
      queue.pop_front();
    }
    last = Clock::now();
  });
  {
    // Once this lock is had after the flag, the consumer is blocked in its wait.
    std::unique_lock<std::mutex> guard(lock);
    consumerWaiting.wait(guard, [&] { return waiting; });
  }
  Pause();
  const double cpu0 = bench::ProcessCpuSeconds();
  const long switches0 = bench::ContextSwitches();
  const Clock::time_point start = Clock::now();
  for (std::size_t i = 0; i < n; ++i) {
    {
      std::lock_guard<std::mutex> guard(lock);
      queue.push_back(i);
    }
    ready.notify_one();
  }
  consumer.join();
  const double cpu1 = bench::ProcessCpuSeconds();
  const long switches1 = bench::ContextSwitches();
  if (sum != static_cast<uint64_t>(n) * (n - 1) / 2) {
    bench::Fail("notify_bench: the bare deque lost items");
  }
  Burst burst;
  burst.perSecond = static_cast<double>(n) / std::chrono::duration<double>(last - start).count();
  burst.cpuNsEach = (cpu1 - cpu0) * 1e9 / static_cast<double>(n);
  burst.switchesPerThousand = static_cast<double>(switches1 - switches0) * 1000.0 / static_cast<double>(n);
  return burst;
}

double MedianOf(const std::vector<Burst>& bursts, double Burst::*field) {
  std::vector<double> values;
  for (const Burst& b : bursts) {
    values.push_back(b.*field);
  }
  return bench::Quantile(values, 0.5);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t samples = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 2000;
  const std::size_t burstSize = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 20000;
  const std::size_t repetitions = argc > 3 ? std::strtoul(argv[3], nullptr, 10) : 5;

  Setup setup;
  Attach(setup);

  // Interleaved, so that a change in the machine's load falls on both alike.
  std::vector<double> module;
  std::vector<double> bare;
  std::vector<Burst> moduleBursts;
  std::vector<Burst> dequeBursts;
  for (std::size_t r = 0; r < repetitions; ++r) {
    const auto m = ModuleLatencies(setup, samples / repetitions);
    const auto b = HandOffLatencies(samples / repetitions);
    module.insert(module.end(), m.begin(), m.end());
    bare.insert(bare.end(), b.begin(), b.end());
    moduleBursts.push_back(ModuleBurst(setup, burstSize));
    dequeBursts.push_back(DequeBurst(burstSize));
  }

  std::printf("notify_bench: %zu latency samples, bursts of %zu x %zu\n", module.size(), burstSize,
              repetitions);
  bench::PrintResult("notify", "latency median", bench::Quantile(module, 0.5), "us",
                     bench::Quantile(bare, 0.5), "<= 1.5");
  bench::PrintResult("notify", "latency p99", bench::Quantile(module, 0.99), "us",
                     bench::Quantile(bare, 0.99), "-");
  // Throughput as a ratio of module to baseline: higher is better, so the target is a floor.
  bench::PrintResult("notify", "burst throughput", MedianOf(moduleBursts, &Burst::perSecond) / 1e6, "M/s",
                     MedianOf(dequeBursts, &Burst::perSecond) / 1e6, ">= 0.3");
  bench::PrintResult("notify", "burst CPU per item", MedianOf(moduleBursts, &Burst::cpuNsEach), "ns",
                     MedianOf(dequeBursts, &Burst::cpuNsEach), "-");
  bench::PrintResult("notify", "burst switches per 1000", MedianOf(moduleBursts, &Burst::switchesPerThousand),
                     "", MedianOf(dequeBursts, &Burst::switchesPerThousand), "-");

  setup.sdk->Close();
  setup.sdk->Release();
  setup.sim.Call<void>("VeskSimReset");
  return 0;
}
