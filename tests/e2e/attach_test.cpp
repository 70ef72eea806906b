// Attaching: which modem is connected, when the attempts come, and how failures are reported.
#include <functional>
#include <string>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

struct ChoiceRow {
  const char* label;
  bool firstGenerationOnly;
  int namedModem;  // of TwoModems; 0: attach without naming one
  bool enumerationFails;
  const char* expectedLine;
  int connectedModem;  // of TwoModems; 0: the first-generation modem
  friend void PrintTo(const ChoiceRow& row, std::ostream* os) { *os << row.label; }
};

class AttachChoiceTest : public EndToEndTest, public testing::WithParamInterface<ChoiceRow> {};

TEST_P(AttachChoiceTest, ConnectsTheModemTheHostNamedOrTheFirstOneFound) {
  const ChoiceRow& row = GetParam();
  TwoModems modems;
  // A first-generation modem is driven by the first-generation file only.
  const std::string scenario = row.firstGenerationOnly ? "[modem]\ngeneration = 1000\n" : modems.Scenario();
  first_.Load(scenario);
  second_.Load(scenario);
  if (row.enumerationFails) {  // as a machine without the second-generation library answers
    second_.Fail("QCWWAN2kEnumerateDevices", GENERAL_ERROR, UINT32_MAX);
  }
  ASSERT_TRUE(row.namedModem == 0 ? sdk_->AttachToCellularDevice()
                                  : sdk_->AttachToCellularDevice(modems.HostTree(row.namedModem)));
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);

  EXPECT_TRUE(traceLog_.Contains(row.expectedLine, kTraceLevelInfo)) << row.expectedLine;
  EXPECT_TRUE(traceLog_.Contains(row.firstGenerationOnly ? "Connected to SDK = SDK_1000"
                                                         : "Connected to SDK = SDK_2000"));
  if (row.connectedModem != 0) {
    EXPECT_TRUE(
        traceLog_.Contains("    SDK is currently connected to " + modems.InterfaceName(row.connectedModem)));
    // The modem's functions were found in the device tree, its NMEA port among them.
    EXPECT_TRUE(traceLog_.Contains("    GPS is fully supported", kTraceLevelInfo));
  }
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, AttachChoiceTest, testing::Values(
    ChoiceRow{"SecondOfTwoByTree", false, 2, false,
              "Got list of enumerated devices, numDevices = 2, looking for device 'USB\\VID_12AB&PID_34CD\\2222'", 2},
    ChoiceRow{"FirstFoundWhenNoneNamed", false, 0, false, "connecting the SDK to the first QC WWAN device detected", 1},
    ChoiceRow{"FirstGenerationWhenEnumerationFails", true, 2, true,
              "Could not get list of enumerated devices, will try to attach to any device, 0x1", 0},
    ChoiceRow{"FirstGenerationWhenNothingIsListed", true, 2, false,
              "List of enumerated devices is empty, will try to attach to any device", 0}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(EndToEndTest, AbsentNamedModemIsReportedOnceAndRetriedEverySixSeconds) {
  TwoModems modems;  // in the device tree, but the simulator lists only its default modem
  ASSERT_TRUE(sdk_->AttachToCellularDevice(modems.HostTree(1)));
  ASSERT_TRUE(WaitForLines("==> CVeskSDK::InitializeVesk", 7));

  const auto attempts = LineTimes("==> CVeskSDK::InitializeVesk");
  for (std::size_t i = 1; i < attempts.size(); ++i) {
    EXPECT_GE(attempts[i] - attempts[i - 1], AtLeast(CVeskSDK::kAttachRetryMs)) << "attempt " << i + 1;
  }
  EXPECT_TRUE(
      traceLog_.Contains("    ****> DID NOT FIND DEVICE 'USB\\VID_12AB&PID_34CD\\1111'", kTraceLevelError));
  const auto states = Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE);
  ASSERT_EQ(states.size(), 1u);
  EXPECT_EQ(states[0].param1, CVeskSDK::kDeviceStateNotConnectable);
  // The failure is reported after the fifth attempt, and only then. Timed when posted: the delivery
  // may lag behind the next attempt on a loaded machine.
  WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE);
  const auto detached =
      LineTimes("    Enqueuing cellular SDK message 'WWAN_NOTIFICATION_DETACHED_FROM_DEVICE'");
  ASSERT_EQ(detached.size(), 1u);
  EXPECT_GT(detached[0], attempts[4]);
  EXPECT_LT(detached[0], attempts[5]);
}

struct DelayRow {
  const char* label;
  std::function<void(ICellularSDK&, hostkit::RecordingPowerStateSource&)>
      request;  // the delay counts from its end
  uint32_t delayMs;
  friend void PrintTo(const DelayRow& row, std::ostream* os) { *os << row.label; }
};

class AttachDelayTest : public EndToEndTest, public testing::WithParamInterface<DelayRow> {};

TEST_P(AttachDelayTest, FirstAttemptComesAfterTheDelay) {
  const DelayRow& row = GetParam();
  row.request(*sdk_, powerSource_);
  const Clock::time_point start = Clock::now();
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);

  const auto attempts = LineTimes("==> CVeskSDK::InitializeVesk");
  ASSERT_EQ(attempts.size(), 1u);
  EXPECT_GE(attempts[0] - start, AtLeast(row.delayMs));
  EXPECT_LT(attempts[0] - start, platform::ScaledDuration(row.delayMs + CVeskSDK::kAttachRetryMs));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, AttachDelayTest, testing::Values(
    DelayRow{"TurnedOn", [](ICellularSDK& sdk, hostkit::RecordingPowerStateSource&) {
               EXPECT_TRUE(sdk.GetVeskSDK()->AttachToCellularDevice(true));
             }, CVeskSDK::kTurnedOnAttachDelayMs},
    DelayRow{"RequestedDuringPcSleep", [](ICellularSDK& sdk, hostkit::RecordingPowerStateSource& power) {
               power.RaiseSleep();
               EXPECT_TRUE(sdk.AttachToCellularDevice());
               platform::Sleep(2 * CVeskSDK::kAttachRetryMs);  // only recorded: no attempt until the resume
               power.RaiseResume();
             }, CVeskSDK::kReattachDelayMs}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(EndToEndTest, AttachWhileConnectedIsRefused) {
  AttachAndWait();
  EXPECT_FALSE(sdk_->AttachToCellularDevice());
  EXPECT_TRUE(traceLog_.Contains("    Already attached to Vesk device 2", kTraceLevelError));
  EXPECT_EQ(LineTimes("==> CVeskSDK::InitializeVesk").size(), 1u);
}

TEST_F(EndToEndTest, FirmwareInformationIsTriedFiveTimesTwoSecondsApartThenTheAttachGoesOn) {
  second_.Fail("GetFirmwareInfo", GENERAL_ERROR, CVeskSDK::kFirmwareInfoAttempts);
  AttachAndWait();

  const auto attempts = LineTimes("    getting firmware info");
  ASSERT_EQ(attempts.size(), static_cast<std::size_t>(CVeskSDK::kFirmwareInfoAttempts));
  for (std::size_t i = 1; i < attempts.size(); ++i) {
    EXPECT_GE(attempts[i] - attempts[i - 1], AtLeast(CVeskSDK::kDetachWaitMs));
  }
  EXPECT_TRUE(traceLog_.Contains("    GetFirmwareInfo failed (rc = 1)", kTraceLevelError));
  // Technology unknown: the SIM branch.
  EXPECT_TRUE(traceLog_.Contains("    detected a Vesk device is GSM mode, checking the SIM status"));
}

TEST_F(EndToEndTest, CloseDuringTheFirmwareWaitsEndsTheAttachWithinOneWait) {
  SetTimeScale(0.25);  // a wait long enough to tell "within one wait" from scheduling noise
  second_.Fail("GetFirmwareInfo", GENERAL_ERROR, UINT32_MAX);
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("could not get the firmware info"));

  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(sdk_->Close());
  EXPECT_LT(Clock::now() - start, platform::ScaledDuration(CVeskSDK::kDetachWaitMs));
  EXPECT_TRUE(traceLog_.Contains("RETURNING BEFORE GETTING DEVICE INFO BECAUSE OF DETACH"));
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE).empty());
}

}  // namespace
}  // namespace e2e
