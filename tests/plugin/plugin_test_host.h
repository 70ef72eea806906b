// A plug-in base completed with inert operations, and the three recording host objects around it.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/recording_trace_log.h"
#include "platform/clock.h"
#include "plugin/cellular_sdk.h"
#include "vesk/notifications.h"

namespace plugin_test {

// The one generous bound of every wait in these tests.
inline constexpr std::chrono::milliseconds kWait{10000};

// The codes the host receives for an open and a close, with those delivered between them.
inline std::vector<int32_t> OpenClose(std::vector<int32_t> between = {}) {
  between.insert(between.begin(), WWAN_NOTIFICATION_SDK_INITIALIZING);
  between.insert(between.end(), {WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, WWAN_NOTIFICATION_SDK_CLOSED});
  return between;
}

class TestCellularSDK : public CCellularSDK {
 public:
  using CCellularSDK::CCellularSDK;

  // Sets the open flag the way a device manager does.
  bool Open() override {
    if (!CCellularSDK::Open()) {
      return false;
    }
    SetOpenFlag(true);
    return true;
  }
  bool Close() override {
    SetOpenFlag(false);
    return CCellularSDK::Close();
  }

  void Release() override { delete this; }
  int32_t GetSDKType() override { return 0; }
  bool AttachToCellularDevice(DeviceInfoTree) override { return false; }
  bool AttachToCellularDevice() override { return false; }
  bool DetachFromCellularDevice() override { return false; }
  bool UnlockSim(const char*) override { return false; }
  bool UnlockDevice(const char*) override { return false; }
  bool Connect(const char*, const char*, const char*) override { return false; }
  bool Disconnect() override { return false; }
  bool SetAutoConnectMode(int32_t, const char*, const char*, const char*) override { return false; }
  int32_t GetAutoConnectMode() override { return 0; }
  bool GetCellularCardInfo(CellularCardInfo*) override { return false; }
  bool GetCellularServiceSelection(int32_t*) override { return false; }
  bool SetCellularServiceSelection(int32_t) override { return false; }
  bool PerformSpecialDiagnostics(uint32_t) override { return false; }

  std::atomic<int> sleeps{0}, resumes{0};

 protected:
  void HandleEnterPCSleepMode() override { ++sleeps; }
  void HandleExitPCSleepMode() override { ++resumes; }
};

// Members are declared so that the plug-in goes before the host objects it uses.
template <class Sink = hostkit::RecordingNotificationSink>
class PluginHostTest : public testing::Test {
 protected:
  // The GPS timer's creation pause would add 200 ms to every test: it passes at a fast clock.
  void SetUp() override {
    const double scale = platform::TimeScale();
    platform::SetTimeScale(std::min(scale, 0.001));
    sdk_ = std::make_unique<TestCellularSDK>(&sink_, &traceLog_, &powerSource_);
    platform::SetTimeScale(scale);
  }

  Sink sink_;
  hostkit::RecordingTraceLog traceLog_;
  hostkit::RecordingPowerStateSource powerSource_;
  std::unique_ptr<TestCellularSDK> sdk_;
};

// The same with the platform clock sped up 50 times: the 5 s GPS period passes in 100 ms.
template <class Sink = hostkit::RecordingNotificationSink>
class ScaledPluginHostTest : public PluginHostTest<Sink> {
 protected:
  static constexpr double kTimeScale = 0.02;

  void SetUp() override {
    platform::SetTimeScale(kTimeScale);
    PluginHostTest<Sink>::SetUp();
  }
  void TearDown() override {
    this->sdk_.reset();
    platform::SetTimeScale(1.0);
  }
};

}  // namespace plugin_test
