// Device information gathering and CDMA activation on a simulated modem: the order of what the host is
// told, failed queries, the phone number's retries and how they end, and an account activated over the air.
#include <algorithm>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

// The activation requests come from diagnostic commands; the tests make them directly.
struct DeviceInfoTestPeer {
  static void EvaluateCDMAAccountActivation(CVeskSDK& sdk) { sdk.EvaluateCDMAAccountActivation(); }
  static bool InitiateOverTheAirActivation(CVeskSDK& sdk) { return sdk.InitiateOverTheAirActivation(); }
};

namespace e2e {
namespace {

constexpr char kCdma[] = "[firmware]\ntechnology = 0\n";

using DeviceInfoTest = EndToEndTest;

TEST_F(DeviceInfoTest, ReadySimGathersEverythingInOrderAndEndsReadyToConnect) {
  AttachUntilEvaluated("");
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

  EXPECT_EQ(Params(WWAN_NOTIFICATION_RSSI).front(), static_cast<uintptr_t>(static_cast<intptr_t>(-75)));
  EXPECT_EQ(Cached(&CachedCellularInfo::imsi), u"001010123456789");
  EXPECT_EQ(Cached(&CachedCellularInfo::voiceNumber), u"+15555550100");
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).empty());
  EXPECT_TRUE(traceLog_.Contains("    GetVeskDeviceInfo: updated the default info in the CCellularSDK object",
                                 kTraceLevelInfo));
}

// The default profile reads the session state through the retrying query; the last step asks once.
TEST_F(DeviceInfoTest, FailedQueriesAreReportedOrSkippedAndTheGatheringGoesOn) {
  AttachUntilEvaluated(
      "[faults]\nGetModelID = 1\nGetManufacturer = 1\nGetSessionState = 1014 always\n"
      "GetSignalStrength = 1 always\nGetSignalStrengths = 1\nGetServingNetworkCapabilities = 1 always\n");
  EXPECT_TRUE(traceLog_.Contains("    vesk model id is ''", kTraceLevelInfo));
  for (const char* line :
       {"    could not get the vesk manufacture (rc = 1)", "    could not get signal strength info (rc = 1)",
        "    could not get signal strengths info (rc = 1)",
        "    could not get the serving network capabilities (1)"}) {
    EXPECT_TRUE(traceLog_.Contains(line, kTraceLevelError)) << line;
  }
  EXPECT_EQ(traceLog_.Count("could not get the signal strength, waiting, and will try again (rc = 1)"),
            static_cast<size_t>(CVeskSDK::kSignalStrengthAttempts));
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

class PhoneNumberTest : public DeviceInfoTest, public testing::WithParamInterface<PhoneRow> {};

TEST_P(PhoneNumberTest, IsTriedTenTimesTwoSecondsApart) {
  const PhoneRow& row = GetParam();
  second_.Load(row.scenario);
  second_.Fail("GetVoiceNumber", row.result, row.failures);
  AttachUntilEvaluated();

  EXPECT_EQ(second_.CallCount("GetVoiceNumber"),
            std::min<uint32_t>(row.failures + 1, static_cast<uint32_t>(CVeskSDK::kVoiceNumberAttempts)));
  ExpectApart(LineTimes("could not get the vesk voice number waiting and will try again"),
              CVeskSDK::kDetachWaitMs);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), row.infoReady ? 1u : 0u);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED).size(),
            row.failures < CVeskSDK::kVoiceNumberAttempts ? 1u : 0u);
  if (row.stateCode >= 0) {
    EXPECT_EQ(std::ranges::count(Params(row.stateCode), row.stateParam), 1u);
  }
  EXPECT_EQ(sdk_->WithInfo([](CachedCellularInfo& info) { return info.simStatusBits; }), row.simStatusBits);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PhoneNumberTest, testing::Values(
    PhoneRow{"ReadOnTheLastAttempt", "", GENERAL_ERROR, 9, true, -1, 0, 0x1},
    PhoneRow{"OtherFailureMarksTheNumberUnavailable", "", GENERAL_ERROR, 10, true,
             WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStatePhoneNumberUnavailable, 0x1},
    PhoneRow{"NotProvisionedOnUmtsIsAnUnknownSim", "", QMI_ERR_NOT_PROVISIONED, 10, false,
             WWAN_NOTIFICATION_SIM_STATUS, HOST_SIM_STATUS_MISSING, 0x4001},
    PhoneRow{"NotProvisionedOnCdmaIsNotActivated", kCdma, QMI_ERR_NOT_PROVISIONED, 10, false,
             WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, CVeskSDK::kDeviceStateNotActivated, 0x0}), kLabel);
// clang-format on

TEST_F(DeviceInfoTest, CdmaAccountNotActivatedIsReportedOnceAndActivatedOverTheAir) {
  AttachUntilEvaluated(std::string(kCdma) + "[account]\nactivation_state = 0\n");
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).empty());
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_SIM_STATUS).empty());
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE).size(), 1u);
  // Reported once, however often it is evaluated; a number read at an earlier attach does not stay.
  sdk_->SetVoiceNumber(u"+15555550100");
  DeviceInfoTestPeer::EvaluateCDMAAccountActivation(*sdk_);
  EXPECT_EQ(Cached(&CachedCellularInfo::voiceNumber), u"");
  Settle();
  EXPECT_EQ(Params(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE),
            std::vector<uintptr_t>{CVeskSDK::kDeviceStateNotActivated});

  ASSERT_TRUE(DeviceInfoTestPeer::InitiateOverTheAirActivation(*sdk_));
  EXPECT_TRUE(traceLog_.Contains("    GetActivationState: not activated", kTraceLevelInfo));
  ASSERT_TRUE(WaitForLines("powering down the device to complete activation"));
  ASSERT_TRUE(second_.WaitForCalls("SetPower", 1));
  const auto connecting = LineTimes("    Activation connecting"),
             committed = LineTimes("    OTASP settings committed"),
             activated = LineTimes("    Service activated");
  ASSERT_TRUE(connecting.size() == 1 && committed.size() == 1 && activated.size() == 1);
  EXPECT_TRUE(connecting[0] < committed[0] && committed[0] < activated[0]);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::ActivationStatusCallback", 10));
  EXPECT_GE(LineTimes("<== CVeskSDK::ActivationStatusCallback").back() -
                LineTimes("powering down the device to complete activation").front(),
            AtLeast(CVeskSDK::kActivationPowerDownDelayMs));
}

}  // namespace
}  // namespace e2e
