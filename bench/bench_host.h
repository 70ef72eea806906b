// What the module benchmarks share: the module and the simulator loaded the way a host loads them, a
// filtering host trace log, a power-state source that accepts its observer, order statistics, and
// the result lines that scripts/bench gathers into one table.
#pragma once

#include <dlfcn.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <condition_variable>
#include <mutex>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "vesk/host_interfaces.h"
#include "vesk/notifications.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double Microseconds(Clock::duration d) {
  return std::chrono::duration<double, std::micro>(d).count();
}

inline double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// CPU time of the whole process, in seconds: what the module costs regardless of other load.
inline double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Context switches of the whole process so far, voluntary and not: the hand-offs a burst costs.
inline long ContextSwitches() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_nvcsw + usage.ru_nivcsw;
}

// The q-quantile (0..1) of values, by nearest rank.
inline double Quantile(std::vector<double> values, double q) {
  if (values.empty()) {
    return 0.0;
  }
  std::sort(values.begin(), values.end());
  const auto index = static_cast<std::size_t>(q * static_cast<double>(values.size() - 1) + 0.5);
  return values[std::min(index, values.size() - 1)];
}

// One row of the table: "RESULT|benchmark|measure|figure|unit|baseline|ratio|target".
inline void PrintResult(const char* benchmark, const char* measure, double figure, const char* unit,
                        double baseline, const char* target) {
  const double ratio = baseline > 0 ? figure / baseline : 0.0;
  std::printf("RESULT|%s|%s|%.3f|%s|%.3f|%.2f|%s\n", benchmark, measure, figure, unit, baseline, ratio, target);
  std::fflush(stdout);
}

[[noreturn]] inline void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::exit(1);
}

// A library of the bin folder, loaded by path.
class Library {
 public:
  explicit Library(const char* fileName) {
    const std::string path = std::string(VESK_BIN_DIR) + "/" + fileName;
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      Fail(dlerror());
    }
  }
  ~Library() = default;  // never unloaded: module threads may outlive main's last statement
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  void* Symbol(const char* name) const {
    void* symbol = dlsym(handle_, name);
    if (symbol == nullptr) {
      Fail(name);
    }
    return symbol;
  }

 private:
  void* handle_ = nullptr;
};

// The simulator file the module loads (the second generation), steered through its control functions.
class Simulator {
 public:
  Simulator() : library_("libQCWWAN2k.so") {}

  template <typename R, typename... A>
  R Call(const char* name, A... args) const {
    return reinterpret_cast<R (*)(A...)>(library_.Symbol(name))(args...);
  }
  void Load(const char* scenario) const {
    if (Call<int>("VeskSimLoadScenario", scenario) != 0) {
      Fail("the simulator refused the scenario");
    }
  }
  void Event(const char* line) const {
    if (Call<int>("VeskSimEvent", line) != 0) {
      Fail(line);
    }
  }

 private:
  Library library_;
};

// The module, found and constructed as a host does.
class Module {
 public:
  Module() : library_("libvesk_plugin.so") {
    construct_ = reinterpret_cast<ConstructSDKFn>(library_.Symbol("ConstructSDK"));
  }
  ConstructSDKFn construct() const { return construct_; }

 private:
  Library library_;
  ConstructSDKFn construct_ = nullptr;
};

// A host that filters its trace: lines are dropped unformatted. When armed with a scope name, it notes
// the time of that scope's next entry line ("==> name"), the moment a traced operation (a vendor
// callback) began; armed to hold, it also keeps that thread there until Release, so that a burst can
// be queued up behind it.
class FilteringTraceLog : public IHostTraceLog {
 public:
  void TraceA(int32_t, int32_t, const char* format, ...) override {
    if (!armed_.load(std::memory_order_relaxed) || std::strcmp(format, "==> %s") != 0) {
      return;
    }
    va_list args;
    va_start(args, format);
    const char* name = va_arg(args, const char*);
    va_end(args);
    if (std::strcmp(name, scope_) == 0) {
      Mark();
    }
  }
  void TraceW(int32_t, int32_t, const char16_t*, ...) override {}

  explicit FilteringTraceLog(const char* scope = "") : scope_(scope) {}

  void Arm(bool hold = false) {
    std::lock_guard<std::mutex> lock(lock_);
    hold_ = hold;
    held_ = false;
    armed_.store(true, std::memory_order_release);
  }
  // Waits until a held line's thread is waiting.
  bool WaitHeld() {
    std::unique_lock<std::mutex> lock(lock_);
    return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return held_; });
  }
  void Release() {
    {
      std::lock_guard<std::mutex> lock(lock_);
      hold_ = false;
    }
    changed_.notify_all();
  }
  Clock::time_point marked() const { return Clock::time_point(Clock::duration(marked_.load())); }

 private:
  void Mark() {
    if (!armed_.exchange(false, std::memory_order_acq_rel)) {
      return;
    }
    marked_.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
    std::unique_lock<std::mutex> lock(lock_);
    if (hold_) {
      held_ = true;
      changed_.notify_all();
      changed_.wait(lock, [this] { return !hold_; });
    }
  }
  const char* const scope_;
  std::atomic<bool> armed_{false};
  std::atomic<Clock::rep> marked_{0};
  std::mutex lock_;
  std::condition_variable changed_;
  bool hold_ = false;
  bool held_ = false;
};

class AcceptingPowerSource : public IPowerStateSource {
 public:
  bool RegisterObserver(IPowerStateObserver*) override { return true; }
  bool UnregisterObserver(IPowerStateObserver*) override { return true; }
};

}  // namespace bench

namespace bench {

// A host sink that keeps the code, first parameter and arrival time of each notification, frees
// payloads as a host must, and lets the benchmark wait for the n-th notification of a code. Only the
// arrival a waiter waits for wakes it, so a burst is not slowed by needless wake-ups.
class TimingSink : public IHostNotificationSink {
 public:
  struct Arrival {
    int32_t code;
    uintptr_t param1;
    Clock::time_point time;
  };

  void OnNotification(int32_t code, uintptr_t param1, uintptr_t) override {
    const Clock::time_point now = Clock::now();
    bool wake = false;
    {
      std::lock_guard<std::mutex> lock(lock_);
      arrivals_.push_back({code, param1, now});
      const std::size_t count = ++counts_[Slot(code)];
      wake = code == waitCode_ && count >= waitCount_;
    }
    ReleaseNotificationPayload(code, param1);
    if (wake) {
      arrived_.notify_all();
    }
  }

  // Waits (generously) until count notifications of code have arrived; false on time-out.
  bool WaitForCount(int32_t code, std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
    std::unique_lock<std::mutex> lock(lock_);
    waitCode_ = code;
    waitCount_ = count;
    const bool reached = arrived_.wait_for(lock, timeout, [&] { return counts_[Slot(code)] >= count; });
    waitCode_ = -1;
    return reached;
  }
  std::size_t Count(int32_t code) {
    std::lock_guard<std::mutex> lock(lock_);
    return counts_[Slot(code)];
  }
  std::vector<Arrival> Arrivals(int32_t code) {
    std::lock_guard<std::mutex> lock(lock_);
    std::vector<Arrival> found;
    for (const Arrival& a : arrivals_) {
      if (a.code == code) {
        found.push_back(a);
      }
    }
    return found;
  }
  void Reserve(std::size_t n) {
    std::lock_guard<std::mutex> lock(lock_);
    arrivals_.reserve(n);
  }

 private:
  static std::size_t Slot(int32_t code) { return static_cast<std::size_t>(code) & 63u; }
  std::mutex lock_;
  std::condition_variable arrived_;
  std::vector<Arrival> arrivals_;
  std::size_t counts_[64] = {};
  int32_t waitCode_ = -1;
  std::size_t waitCount_ = 0;
};

}  // namespace bench
