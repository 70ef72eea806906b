// Attaching: which modem is connected, when the attempts come, and how failures are reported.
#include <string>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

struct ChoiceRow {
  const char* label;
  bool firstGeneration;  // only the first-generation file answers: the second cannot enumerate
  int namedModem;        // of TwoModems; 0: attach without naming one
};

class AttachChoiceTest : public EndToEndTest, public testing::WithParamInterface<ChoiceRow> {};

TEST_P(AttachChoiceTest, ConnectsTheModemTheHostNamedOrTheFirstOneFound) {
  const ChoiceRow& row = GetParam();
  TwoModems modems;
  const std::string scenario = row.firstGeneration
                                   ? "[modem]\ngeneration = 1000\n"
                                   : "[modem]\ndevice_id = " + modems.InterfaceName(1) +
                                         "\n[modem]\ndevice_id = " + modems.InterfaceName(2) + "\n";
  first_.Load(scenario);
  second_.Load(scenario);
  if (row.firstGeneration) {  // as a machine without the second-generation library answers
    second_.Fail("QCWWAN2kEnumerateDevices", GENERAL_ERROR, UINT32_MAX);
  }
  ASSERT_TRUE(row.namedModem == 0 ? sdk_->AttachToCellularDevice()
                                  : sdk_->AttachToCellularDevice(modems.HostTree(row.namedModem)));
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);

  EXPECT_TRUE(traceLog_.Contains(row.firstGeneration ? "Connected to SDK = SDK_1000"
                                                     : "Connected to SDK = SDK_2000"));
  if (!row.firstGeneration) {
    EXPECT_TRUE(traceLog_.Contains("    SDK is currently connected to " +
                                   modems.InterfaceName(row.namedModem == 0 ? 1 : row.namedModem)));
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, AttachChoiceTest, testing::Values(
    ChoiceRow{"SecondOfTwoByTree", false, 2}, ChoiceRow{"FirstFoundWhenNoneNamed", false, 0},
    ChoiceRow{"FirstGenerationWhenEnumerationFails", true, 2}), kLabel);
// clang-format on

TEST_F(EndToEndTest, AbsentNamedModemIsReportedOnceAndRetriedEverySixSeconds) {
  TwoModems modems;  // in the device tree, but sixth in the library's list: beyond the five asked for
  std::string scenario;
  for (int other = 0; other < 5; ++other) {
    scenario += "[modem]\ndevice_id = OTHER" + std::to_string(other) + "\n";
  }
  second_.Load(scenario + "[modem]\ndevice_id = " + modems.InterfaceName(1) + "\n");
  ASSERT_TRUE(sdk_->AttachToCellularDevice(modems.HostTree(1)));
  ASSERT_TRUE(WaitForLines("==> CVeskSDK::InitializeVesk", 7));
  EXPECT_TRUE(traceLog_.Contains("    Got list of enumerated devices, numDevices = 5, looking for device"));

  const auto attempts = LineTimes("==> CVeskSDK::InitializeVesk");
  ExpectApart(attempts, CVeskSDK::kAttachRetryMs);
  EXPECT_EQ(Params(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE),
            std::vector<uintptr_t>{CVeskSDK::kDeviceStateNotConnectable});
  // The failure is reported after the fifth attempt, and only then. Timed when posted: the delivery
  // may lag behind the next attempt on a loaded machine.
  WaitFor(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE);
  const auto detached =
      LineTimes("    Enqueuing cellular SDK message 'WWAN_NOTIFICATION_DETACHED_FROM_DEVICE'");
  ASSERT_EQ(detached.size(), 1u);
  EXPECT_GT(detached[0], attempts[4]);
  EXPECT_LT(detached[0], attempts[5]);
}

struct NoModemRow {
  const char* label;
  const char* scenario;
  const char* failing;  // fails every time in both libraries, or null
  bool named;
  const char* line;
  int32_t level;
};

class NoModemTest : public EndToEndTest, public testing::WithParamInterface<NoModemRow> {};

TEST_P(NoModemTest, ReportsWhyNothingIsConnectedAndThatTheModemIsNotConnectable) {
  const NoModemRow& row = GetParam();
  TwoModems modems;
  second_.Load(row.scenario);
  if (row.failing != nullptr) {
    first_.Fail(row.failing, GENERAL_ERROR, UINT32_MAX);
    second_.Fail(row.failing, GENERAL_ERROR, UINT32_MAX);
  }
  ASSERT_TRUE(row.named ? sdk_->AttachToCellularDevice(modems.HostTree(1)) : sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk"));
  EXPECT_TRUE(traceLog_.Contains(row.line, row.level)) << row.line;
  const std::size_t reported = WaitFor(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE);
  EXPECT_EQ(Params(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE),
            std::vector<uintptr_t>{CVeskSDK::kDeviceStateNotConnectable});
  // Asked again, the manager forgets what the last attempt found until the next one finds it again.
  ASSERT_TRUE(row.named ? sdk_->AttachToCellularDevice(modems.HostTree(1)) : sdk_->AttachToCellularDevice());
  EXPECT_EQ(Next(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, reported + 1).param1, 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, NoModemTest, testing::Values(
    NoModemRow{"NoneListed", "[modem]\npresent = 0\n", nullptr, true,
               "    List of enumerated devices is empty, will try to attach to any device", kTraceLevelInfo},
    NoModemRow{"NoneFound", "[modem]\npresent = 0\n", nullptr, true, "    no vesk device was found (rc = 6)",
               kTraceLevelInfo},
    NoModemRow{"ListRefused", "[modem]\npresent = 0\n", "QCWWAN2kEnumerateDevices", true,
               "    Could not get list of enumerated devices, will try to attach to any device, 0x1", kTraceLevelInfo},
    NoModemRow{"ConnectRefused", "", "QCWWANConnect", false, "    problem connecting QC WWAN device (rc = 1)",
               kTraceLevelError}), kLabel);
// clang-format on

// Without the connected modem's ID the attach stops short: nothing announced, no SIM or SMS pass.
TEST_F(EndToEndTest, AnAttachThatCannotNameItsModemAnnouncesNothing) {
  second_.Fail("QCWWANGetConnectedDeviceID", GENERAL_ERROR, UINT32_MAX);
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk"));
  Settle();
  EXPECT_TRUE(traceLog_.Contains("    Because did not get device ID, bailing out early", kTraceLevelError));
  EXPECT_TRUE(traceLog_.Contains("    could not get the id of the device the SDK is connected to (1)",
                                 kTraceLevelError));
  EXPECT_EQ(CodesFrom(0, {WWAN_NOTIFICATION_ATTACHED_TO_DEVICE, WWAN_NOTIFICATION_SIM_STATUS}).size(), 0u);
  EXPECT_EQ(second_.CallCount("UIMGetPINStatus") + second_.CallCount("GetSMSList"), 0u);
}

// The first attempt comes after a delay: after the modem was turned on, or after the PC's resume when
// the attach was asked for during its sleep.
class AttachDelayTest : public EndToEndTest, public testing::WithParamInterface<bool> {};

TEST_P(AttachDelayTest, FirstAttemptComesAfterTheDelay) {
  const bool duringSleep = GetParam();
  // Read before the delay is armed and after: the lower bound cannot be met early by a test thread that
  // was slow to read the clock, nor the upper one missed by a slow return.
  Clock::time_point armed;
  if (duringSleep) {
    powerSource_.RaiseSleep();
    EXPECT_TRUE(sdk_->AttachToCellularDevice());
    platform::Sleep(2 * CVeskSDK::kAttachRetryMs);  // only recorded: no attempt until the resume
    armed = Clock::now();
    powerSource_.RaiseResume();
  } else {
    armed = Clock::now();
    EXPECT_TRUE(sdk_->GetVeskSDK()->AttachToCellularDevice(true));
  }
  const Clock::time_point returned = Clock::now();
  const uint32_t delayMs = duringSleep ? CVeskSDK::kReattachDelayMs : CVeskSDK::kTurnedOnAttachDelayMs;
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);

  const auto attempts = LineTimes("==> CVeskSDK::InitializeVesk");
  ASSERT_EQ(attempts.size(), 1u);
  EXPECT_GE(attempts[0] - armed, AtLeast(delayMs));
  EXPECT_LT(attempts[0] - returned, platform::ScaledDuration(delayMs + CVeskSDK::kAttachRetryMs));
}

INSTANTIATE_TEST_SUITE_P(TurnedOnOrDuringSleep, AttachDelayTest, testing::Bool());

TEST_F(EndToEndTest, FirmwareInformationIsTriedFiveTimesTwoSecondsApartThenTheAttachGoesOn) {
  second_.Fail("GetFirmwareInfo", GENERAL_ERROR, CVeskSDK::kFirmwareInfoAttempts);
  AttachAndWait();
  // A second attach while attached is refused.
  EXPECT_FALSE(sdk_->AttachToCellularDevice());

  const auto attempts = LineTimes("    getting firmware info");
  EXPECT_EQ(attempts.size(), static_cast<std::size_t>(CVeskSDK::kFirmwareInfoAttempts));
  ExpectApart(attempts, CVeskSDK::kDetachWaitMs);
  // Technology unknown: the SIM branch.
  WaitFor(WWAN_NOTIFICATION_SIM_STATUS);
}

// The attach waits between attempts at the firmware information and at the phone number.
struct WaitRow {
  const char* label;
  const char* entryPoint;  // fails for good
  const char* waiting;
  int32_t neverPosted;
};

class CloseDuringWaitTest : public EndToEndTest, public testing::WithParamInterface<WaitRow> {};

TEST_P(CloseDuringWaitTest, EndsTheAttachWithinOneWait) {
  const WaitRow& row = GetParam();
  SetTimeScale(0.25);  // a wait long enough to tell "within one wait" from scheduling noise
  second_.Fail(row.entryPoint, GENERAL_ERROR, UINT32_MAX);
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines(row.waiting, 2));

  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(sdk_->Close());
  EXPECT_LT(Clock::now() - start, platform::ScaledDuration(CVeskSDK::kDetachWaitMs));
  // Close returns once everything posted before it has been delivered.
  EXPECT_TRUE(Notifications(row.neverPosted).empty());
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CloseDuringWaitTest,
    testing::Values(WaitRow{"FirmwareInfo", "GetFirmwareInfo", "could not get the firmware info",
                            WWAN_NOTIFICATION_ATTACHED_TO_DEVICE},
                    WaitRow{"PhoneNumber", "GetVoiceNumber", "could not get the vesk voice number",
                            WWAN_NOTIFICATION_DEVICE_INFO_READY}),
    kLabel);

}  // namespace
}  // namespace e2e
