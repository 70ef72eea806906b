// Device information gathering and CDMA activation on a simulated modem: the order of what the host
// is told, the phone number's retries and how they end, a detach during them, an account that is not
// activated, over-the-air activation and the factory reset.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

// The activation requests come from diagnostic commands; the tests make them directly.
struct DeviceInfoTestPeer {
  static void EvaluateCDMAAccountActivation(CVeskSDK& sdk) { sdk.EvaluateCDMAAccountActivation(); }
  static bool InitiateOverTheAirActivation(CVeskSDK& sdk) { return sdk.InitiateOverTheAirActivation(); }
  static bool ResetToFactoryDefaults(CVeskSDK& sdk) { return sdk.ResetToFactoryDefaults(); }
};

namespace e2e {
namespace {

constexpr char kReadySim[] = "[sim]\npin_status = 3\n";
constexpr char kCdma[] = "[firmware]\ntechnology = 0\n";

class DeviceInfoTest : public EndToEndTest {
 protected:
  // Attaches and waits until the attach, with its evaluation and any gathering, has ended.
  void Attach(const std::string& scenario) {
    second_.Load(scenario);
    AttachUntilEvaluated();
  }
  std::size_t Count(int32_t code, uintptr_t param1) const {
    const auto found = Notifications(code);
    return static_cast<std::size_t>(
        std::count_if(found.begin(), found.end(), [param1](const auto& n) { return n.param1 == param1; }));
  }
  std::u16string Cached(CachedText CachedCellularInfo::*field) {
    return sdk_->WithInfo(
        [field](CachedCellularInfo& info) { return std::u16string(CachedTextView(info.*field)); });
  }
};

TEST_F(DeviceInfoTest, ReadySimGathersEverythingInOrderAndEndsReadyToConnect) {
  Attach(kReadySim);
  const std::vector<int32_t> expected = {WWAN_NOTIFICATION_ATTACHED_TO_DEVICE,
                                         WWAN_NOTIFICATION_SIM_STATUS,
                                         WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED,
                                         WWAN_NOTIFICATION_RSSI,
                                         WWAN_NOTIFICATION_ROAMING,
                                         WWAN_NOTIFICATION_SERVICE,
                                         WWAN_NOTIFICATION_DISCONNECTED,
                                         WWAN_NOTIFICATION_DEVICE_INFO_READY,
                                         WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE,
                                         WWAN_NOTIFICATION_READY_TO_CONNECT};
  ASSERT_TRUE(sink_.WaitForSequence(expected, kWait).has_value());

  const auto rssi = Notifications(WWAN_NOTIFICATION_RSSI);
  EXPECT_EQ(rssi.front().param1, static_cast<uintptr_t>(static_cast<intptr_t>(-75)));
  EXPECT_EQ(sdk_->WithInfo([](CachedCellularInfo& info) { return info.signalDbm; }), -75);
  EXPECT_EQ(Cached(&CachedCellularInfo::imsi), u"001010123456789");
  EXPECT_EQ(Cached(&CachedCellularInfo::iccid), u"8900101234567890123");
  EXPECT_EQ(Cached(&CachedCellularInfo::manufacturer), u"Vesk Wireless");
  EXPECT_EQ(Cached(&CachedCellularInfo::voiceNumber), u"+15555550100");
  EXPECT_FALSE(Cached(&CachedCellularInfo::modelDescription).empty());
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).empty());
}

TEST_F(DeviceInfoTest, FailedModelQueryStillDescribesTheModelAndGoesOn) {
  Attach(std::string(kReadySim) + "[faults]\nGetModelID = 1\nGetManufacturer = 1\n");
  EXPECT_TRUE(traceLog_.Contains("    vesk model id is ''", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    could not get the vesk manufacture (rc = 1)", kTraceLevelError));
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), 1u);
}

// The default profile reads the session state through the retrying query; the last step asks once.
TEST_F(DeviceInfoTest, FailedSessionStateIsAskedOnceSilentlyAndReportsNothing) {
  Attach(std::string(kReadySim) + "[faults]\nGetSessionState = 1014 always\n");
  EXPECT_EQ(second_.CallCount("GetSessionState"), 3u);
  EXPECT_EQ(traceLog_.Count("Retry GetSessionState, previous result 1014"), 1u);
  EXPECT_EQ(traceLog_.Count("Failed getting session state"), 1u);
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DISCONNECTED).empty());
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), 1u);
}

struct PhoneRow {
  const char* label;
  const char* scenario;
  ULONG result;  // of every failing GetVoiceNumber call
  uint32_t failures;
  bool infoReady;
  int32_t stateCode;  // the one notification that reports the outcome, or -1
  uintptr_t stateParam;
  uint32_t simStatusBits;
};
void PrintTo(const PhoneRow& row, std::ostream* os) {
  *os << row.label;
}

class PhoneNumberTest : public DeviceInfoTest, public testing::WithParamInterface<PhoneRow> {};

TEST_P(PhoneNumberTest, IsTriedTenTimesTwoSecondsApart) {
  const PhoneRow& row = GetParam();
  second_.Load(row.scenario);
  second_.Fail("GetVoiceNumber", row.result, row.failures);
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::InitializeVesk"));
  Settle();

  EXPECT_EQ(second_.CallCount("GetVoiceNumber"),
            std::min<uint32_t>(row.failures + 1, static_cast<uint32_t>(CVeskSDK::kVoiceNumberAttempts)));
  const auto waits = LineTimes("could not get the vesk voice number waiting and will try again");
  ASSERT_EQ(waits.size(), std::min<std::size_t>(row.failures, CVeskSDK::kVoiceNumberAttempts));
  for (std::size_t i = 1; i < waits.size(); ++i) {
    EXPECT_GE(waits[i] - waits[i - 1], AtLeast(CVeskSDK::kDetachWaitMs)) << "attempt " << i + 1;
  }
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), row.infoReady ? 1u : 0u);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED).size(),
            row.failures < CVeskSDK::kVoiceNumberAttempts ? 1u : 0u);
  if (row.stateCode >= 0) {
    EXPECT_EQ(Count(row.stateCode, row.stateParam), 1u);
  }
  EXPECT_EQ(sdk_->WithInfo([](CachedCellularInfo& info) { return info.simStatusBits; }), row.simStatusBits);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PhoneNumberTest, testing::Values(
    PhoneRow{"ReadOnTheLastAttempt", kReadySim, GENERAL_ERROR, 9, true, -1, 0, 0x1},
    PhoneRow{"OtherFailureMarksTheNumberUnavailable", kReadySim, GENERAL_ERROR, 10, true,
             WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStatePhoneNumberUnavailable, 0x1},
    PhoneRow{"NotProvisionedOnUmtsIsAnUnknownSim", kReadySim, QMI_ERR_NOT_PROVISIONED, 10, false,
             WWAN_NOTIFICATION_SIM_STATUS, HOST_SIM_STATUS_MISSING, 0x4001},
    PhoneRow{"NotProvisionedOnCdmaIsNotActivated", kCdma, QMI_ERR_NOT_PROVISIONED, 10, false,
             WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStateNotActivated, 0x0}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(DeviceInfoTest, DetachDuringThePhoneNumberRetriesEndsTheGatheringWithinOneWait) {
  SetTimeScale(0.25);  // a wait long enough to tell "within one wait" from scheduling noise
  second_.Load(kReadySim);
  second_.Fail("GetVoiceNumber", GENERAL_ERROR, UINT32_MAX);
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  ASSERT_TRUE(WaitForLines("could not get the vesk voice number", 2));

  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(sdk_->Close());
  EXPECT_LT(Clock::now() - start, platform::ScaledDuration(CVeskSDK::kDetachWaitMs));
  EXPECT_TRUE(traceLog_.Contains("RETURNING BEFORE GETTING DEVICE INFO BECAUSE OF DETACH", kTraceLevelInfo));
  // Close returns once everything posted before it has been delivered.
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).empty());
  EXPECT_EQ(Count(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStatePhoneNumberUnavailable), 0u);
}

TEST_F(DeviceInfoTest, CdmaAccountNotActivatedIsReportedOnceAndActivatedOverTheAir) {
  Attach(std::string(kCdma) + "[account]\nactivation_state = 0\n");
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).empty());
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_SIM_STATUS).empty());
  EXPECT_EQ(Count(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStateNotActivated), 1u);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE).size(), 1u);

  DeviceInfoTestPeer::EvaluateCDMAAccountActivation(*sdk_);
  Settle();
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).size(), 1u);

  ASSERT_TRUE(DeviceInfoTestPeer::InitiateOverTheAirActivation(*sdk_));
  EXPECT_TRUE(traceLog_.Contains("    GetActivationState: not activated", kTraceLevelInfo));
  ASSERT_TRUE(WaitForLines("powering down the device to complete activation"));
  ASSERT_TRUE(second_.WaitForCalls("SetPower", 1));
  const auto progress = LineTimes("    Activation connecting");
  const auto committed = LineTimes("    OTASP settings committed");
  const auto activated = LineTimes("    Service activated");
  ASSERT_EQ(progress.size(), 1u);
  ASSERT_EQ(committed.size(), 1u);
  ASSERT_EQ(activated.size(), 1u);
  EXPECT_LT(progress[0], committed[0]);
  EXPECT_LT(committed[0], activated[0]);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::ActivationStatusCallback", 10));
  EXPECT_GE(LineTimes("<== CVeskSDK::ActivationStatusCallback").back() -
                LineTimes("powering down the device to complete activation").front(),
            AtLeast(CVeskSDK::kActivationPowerDownDelayMs));
}

TEST_F(DeviceInfoTest, ActivatedModemIsNotActivatedAgainAndCanBeResetToFactoryDefaults) {
  Attach(kCdma);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), 1u);
  EXPECT_TRUE(DeviceInfoTestPeer::InitiateOverTheAirActivation(*sdk_));
  EXPECT_TRUE(traceLog_.Contains("    Vesk devices is already activated", kTraceLevelInfo));
  EXPECT_EQ(second_.CallCount("ActivateAutomatic"), 0u);

  EXPECT_TRUE(DeviceInfoTestPeer::ResetToFactoryDefaults(*sdk_));
  second_.Fail("ResetToFactoryDefaults", GENERAL_ERROR, 1);
  EXPECT_FALSE(DeviceInfoTestPeer::ResetToFactoryDefaults(*sdk_));
  EXPECT_TRUE(traceLog_.Contains("    could not successfully reset the device to factory defaults (1)",
                                 kTraceLevelError));
}

struct ProgressRow {
  const char* event;
  const char* line;
  int32_t level;
};

class ActivationProgressTest : public DeviceInfoTest, public testing::WithParamInterface<ProgressRow> {};

TEST_P(ActivationProgressTest, IsTracedAndOnlyTheEndPowersTheModemDown) {
  const ProgressRow& row = GetParam();
  Attach(kCdma);
  second_.Event(row.event);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::ActivationStatusCallback"));
  EXPECT_TRUE(traceLog_.Contains(row.line, row.level)) << row.line;
  EXPECT_EQ(second_.CallCount("SetPower"), 0u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(States, ActivationProgressTest, testing::Values(
    ProgressRow{"activation = 0", "    Service not activated", kTraceLevelInfo},
    ProgressRow{"activation = 5", "    OTASP NAM downloaded", kTraceLevelInfo},
    ProgressRow{"activation = 10", "    OTASP settings committed", kTraceLevelInfo},
    ProgressRow{"activation = 11", "    unknown activation state (11)", kTraceLevelError}));
// clang-format on

}  // namespace
}  // namespace e2e
