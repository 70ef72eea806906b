// The end-to-end test host: the device manager with the three recording host objects, both simulator
// files under the tests' control, a shortened clock on both sides, and trace lines with their times.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "device/vesk_sdk.h"
#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/recording_trace_log.h"
#include "platform/composite_modem_tree.h"
#include "platform/dynamic_library.h"
#include "tests/sim/sim_file.h"

namespace e2e {

using Clock = std::chrono::steady_clock;

inline constexpr double kTimeScale = 0.02;
// The one generous bound of every wait, in real time.
inline constexpr std::chrono::milliseconds kWait{20000};
// Secrets the tests hand to the module; no trace line may show them.
inline constexpr char kPassword[] = "pw-Ac7Kq2";
inline constexpr char kPin[] = "8642";
inline constexpr char kWrongPin[] = "9731";
// Names the rows of a parameterised test by their label.
inline constexpr auto kLabel = [](const auto& info) { return std::string(info.param.label); };

// One simulator file, loaded by path from the bin folder: the library the module loads too.
class Simulator {
 public:
  static const Simulator& Second() { return simtest::SimFile<Simulator>(2); }  // QCWWAN2k.dll
  static const Simulator& First() { return simtest::SimFile<Simulator>(1); }   // QCWWAN.dll
  explicit Simulator(const platform::DynamicLibrary& library) : library_(library) {}

  // Calls a control function: sim.Call<int>("VeskSimEvent", "power = 1").
  template <typename R, typename... A>
  R Call(const char* name, A... args) const {
    auto fn = reinterpret_cast<R (*)(A...)>(library_.Symbol(name));
    if (fn == nullptr) {
      ADD_FAILURE() << "missing " << name;
      std::abort();
    }
    return fn(args...);
  }
  // Every scenario starts from a SIM without a PIN lock, so that an attach goes on to register the
  // vendor callbacks; a scenario's own [sim] lines override it.
  void Load(const std::string& scenario) const {
    const std::string text = "[sim]\npin_status = 3\n" + scenario;
    EXPECT_EQ(Call<int>("VeskSimLoadScenario", text.c_str()), 0) << scenario;
  }
  void Event(const char* line) const { EXPECT_EQ(Call<int>("VeskSimEvent", line), 0) << line; }
  void Fail(const char* entryPoint, uint32_t result, uint32_t times) const {
    Call<void>("VeskSimFail", entryPoint, result, times);
  }
  // Holds the calls of entryPoint in the library for ms, or until Release.
  void Delay(const char* entryPoint, uint32_t ms) const { Call<void>("VeskSimDelay", entryPoint, ms); }
  void Release(const char* entryPoint) const { Call<void>("VeskSimRelease", entryPoint); }
  uint32_t CallCount(const char* entryPoint) const { return Call<uint32_t>("VeskSimCallCount", entryPoint); }
  bool WaitForCalls(const char* entryPoint, uint32_t count) const {
    return Call<int>("VeskSimWaitForCalls", entryPoint, count, static_cast<uint32_t>(kWait.count())) == 0;
  }

 private:
  const platform::DynamicLibrary& library_;
};

// Two composite modems of the family in the system device tree, and the scenario that makes the
// simulator enumerate them under the same device interface paths.
struct TwoModems {
  TwoModems();
  ~TwoModems();
  std::string InterfaceName(int modem) const;  // modem 1 or 2
  // The tree by which a host names one of them.
  DeviceInfoTree HostTree(int modem) const;

  std::shared_ptr<platform::InMemoryDeviceTree> tree = std::make_shared<platform::InMemoryDeviceTree>();
  platform::CompositeModem modems[2];
};

class EndToEndTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Sets the clock of the module and of both simulator files.
  static void SetTimeScale(double scale);
  // The real duration of ms on the module's clock, less an allowance for rounding.
  static Clock::duration AtLeast(uint32_t ms);

  // The times of the trace lines that contain text, in order.
  std::vector<Clock::time_point> LineTimes(std::string_view text) const;
  // Expects the times at least ms of the module's clock apart from one to the next.
  static void ExpectApart(const std::vector<Clock::time_point>& times, uint32_t ms);
  bool WaitForLines(std::string_view text, std::size_t count = 1) const;
  // Runs action once, on the tracing thread, when a line containing text is traced.
  void OnLine(std::string text, std::function<void()> action);

  // The index of the next notification with code from index `from` on.
  std::size_t WaitFor(int32_t code, std::size_t from = 0);
  std::vector<hostkit::RecordedNotification> Notifications(int32_t code) const;
  // The first parameters of the notifications with code, in order.
  std::vector<uintptr_t> Params(int32_t code) const;
  // The next notification with code from index `from` on (its index to *index when asked for).
  hostkit::RecordedNotification Next(int32_t code, std::size_t from = 0, std::size_t* index = nullptr);
  // The codes among `kinds` posted from index `from` on, in order.
  std::vector<int32_t> CodesFrom(std::size_t from, std::vector<int32_t> kinds) const;
  std::u16string Cached(CachedText CachedCellularInfo::*field);

  // Loads the scenario, if any, into the second-generation file and attaches to the first modem found;
  // returns once the attach is announced, the vendor callbacks are registered and the information pass ended.
  void AttachAndWait(const std::string& scenario = "");
  // The same, returning once the attach, with its SIM or activation evaluation and any information
  // pass, has ended and what it posted has reached the host.
  void AttachUntilEvaluated(const std::string& scenario = "");
  // Returns once everything posted so far has reached the host: a marker posted now arrives behind it.
  void Settle();
  void Release();

  const Simulator& second_ = Simulator::Second();
  const Simulator& first_ = Simulator::First();
  hostkit::RecordingNotificationSink sink_;
  hostkit::RecordingTraceLog traceLog_;
  hostkit::RecordingPowerStateSource powerSource_;
  CVeskSDK* sdk_ = nullptr;

 private:
  mutable std::mutex linesLock_;
  mutable std::condition_variable lineAdded_;
  std::vector<std::pair<Clock::time_point, std::string>> lines_;
  std::string triggerText_;
  std::function<void()> trigger_;
};

}  // namespace e2e
