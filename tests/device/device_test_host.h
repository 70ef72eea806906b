// A device manager with the three recording host objects around it, on a shortened clock.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "device/vesk_sdk.h"
#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/recording_trace_log.h"
#include "platform/clock.h"

namespace device_test {

inline constexpr std::chrono::milliseconds kWait{10000};
inline constexpr double kTimeScale = 0.02;
// Names the rows of a parameterised test by their label.
inline constexpr auto kLabel = [](const auto& info) { return std::string(info.param.label); };

class DeviceManagerTest : public testing::Test {
 protected:
  void SetUp() override {
    platform::SetTimeScale(kTimeScale);
    sdk_ = new CVeskSDK(&sink_, &traceLog_, &powerSource_);
  }
  void TearDown() override {
    Release();
    platform::SetTimeScale(1.0);
  }
  void Release() {
    if (sdk_ != nullptr) {
      sdk_->Release();
      sdk_ = nullptr;
    }
  }

  // Declared before the manager, so that they outlive it.
  hostkit::RecordingNotificationSink sink_;
  hostkit::RecordingTraceLog traceLog_;
  hostkit::RecordingPowerStateSource powerSource_;
  CVeskSDK* sdk_ = nullptr;
};

}  // namespace device_test
