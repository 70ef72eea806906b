// The power-mode monitor of an attached modem, and the detach and re-attach when the modem goes away.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

struct ModeStep {
  const char* event;
  const char* line;
  std::optional<uintptr_t> reportedBits;  // the device-state notification the step posts, if any
};

TEST_F(EndToEndTest, PowerModesDriveTheRadioOffBitAndRepeatedModesAreSilent) {
  AttachAndWait();
  ASSERT_TRUE(second_.WaitForCalls("GetPower", 1));
  const ModeStep steps[] = {
      {"power = 1", "    Power mode 1 Low power (airplane) mode", CVeskSDK::kDeviceStateRadioOff},
      {"power = 0", "    Power mode 0 Online", 0},
      {"power = 2", "    Power mode 2 Factory test mode", std::nullopt},
      {"power = 6", "    Power mode 6 Persistent low power (airplane) mode", CVeskSDK::kDeviceStateRadioOff},
  };
  std::vector<uintptr_t> reported;
  for (const ModeStep& step : steps) {
    second_.Event(step.event);
    ASSERT_TRUE(WaitForLines(step.line)) << step.event;
    // Two more ticks with the same mode: nothing more is written or posted.
    ASSERT_TRUE(second_.WaitForCalls("GetPower", second_.CallCount("GetPower") + 2));
    EXPECT_EQ(traceLog_.Count(step.line, kTraceLevelInfo), 1u) << step.event;
    if (step.reportedBits) {
      reported.push_back(*step.reportedBits);
    }
    EXPECT_EQ(Params(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE), reported) << step.event;
  }
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE).empty());
}

struct GoneRow {
  const char* label;
  std::function<void(const Simulator&)> goAway;
  std::function<void(const Simulator&)> comeBack;
  const char* reason;  // the line that tells why the manager detached
};

class ModemGoneTest : public EndToEndTest, public testing::WithParamInterface<GoneRow> {};

TEST_P(ModemGoneTest, DetachesAndAttachesAgainFifteenSecondsLater) {
  const GoneRow& row = GetParam();
  const std::size_t attached = sink_.Count();
  AttachAndWait();
  row.goAway(second_);
  const std::size_t detached = WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, attached);
  row.comeBack(second_);
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, detached);

  EXPECT_TRUE(traceLog_.Contains(row.reason)) << row.reason;
  // Timed by the module's own lines: the host may receive the detach notification late.
  const auto detachEnds = LineTimes("<== CVeskSDK::DetachFromCellularDevice");
  const auto attempts = LineTimes("==> CVeskSDK::InitializeVesk");
  ASSERT_FALSE(detachEnds.empty());
  EXPECT_GE(attempts.back() - detachEnds.back(), AtLeast(CVeskSDK::kReattachDelayMs));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, ModemGoneTest, testing::Values(
    GoneRow{"Offline", [](const Simulator& sim) { sim.Event("power = 3"); },
            [](const Simulator& sim) { sim.Event("power = 0"); }, "    Power mode 3 Offline"},
    GoneRow{"NoLongerReachable", [](const Simulator& sim) { sim.Fail("GetPower", NO_WWAN_DEVICE, UINT32_MAX); },
            [](const Simulator& sim) { sim.Fail("GetPower", 0, 0); },
            "    Device not available, and was 0, so setting power mode to offline"},
    // The ticks fail meanwhile: the next one would see the modem gone too and detach before the library
    // delivers the removal callback, so only the callback can tell.
    GoneRow{"Removed",
            [](const Simulator& sim) {
              sim.Fail("GetPower", GENERAL_ERROR, UINT32_MAX);
              sim.Event("device = removed");
            },
            [](const Simulator& sim) {
              sim.Fail("GetPower", 0, 0);
              sim.Event("device = returned");
            },
            "    CVeskSDK::DeviceRemovalCallback()"}), kLabel);
// clang-format on

TEST_F(EndToEndTest, ThirdOverlappingPowerTickIsTurnedAway) {
  AttachAndWait();
  ASSERT_TRUE(second_.WaitForCalls("GetPower", 1));
  second_.Delay("GetPower", UINT32_MAX);
  const uint32_t held = second_.CallCount("GetPower") + 1;
  ASSERT_TRUE(WaitForLines("More than 2 timer callbacks executing concurrently"));
  // The second tick waits for the first; the third never reached the library.
  EXPECT_LE(second_.CallCount("GetPower"), held);
  second_.Delay("GetPower", 0);
  second_.Release("GetPower");
  EXPECT_TRUE(sdk_->Close());
  EXPECT_TRUE(traceLog_.Contains("More than 2 timer callbacks", kTraceLevelWarning));
}

}  // namespace
}  // namespace e2e
