// Data-capability, preference and signal reports as the library's callbacks deliver them (no modem).
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "device/signal_strength.h"
#include "device_test_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

struct ServiceSelectionTestPeer {
  static int32_t Decode(CVeskSDK& sdk, ULONG preference) {
    return sdk.DecodeTechnologyPreference(preference);
  }
};

namespace device_test {
namespace {

class NetworkReportTest : public DeviceManagerTest {
 protected:
  void SetUp() override {
    DeviceManagerTest::SetUp();
    ASSERT_TRUE(sdk_->Open());
  }

  // The notifications posted so far, but for the initializing one: a marker behind them shows they
  // have all arrived.
  std::vector<hostkit::RecordedNotification> Posted() {
    sdk_->PostNotification(WWAN_NOTIFICATION_PROBE_INFO, 0, 0);
    EXPECT_TRUE(sink_.WaitFor(WWAN_NOTIFICATION_PROBE_INFO, kWait).has_value());
    auto posted = sink_.Notifications();
    std::erase_if(posted, [](const auto& n) {
      return n.code == WWAN_NOTIFICATION_PROBE_INFO || n.code == WWAN_NOTIFICATION_SDK_INITIALIZING;
    });
    return posted;
  }
};

struct ServiceRow {
  const char* label;
  std::vector<ULONG> capabilities;
  int32_t service;
};

class ServiceChoiceTest : public NetworkReportTest, public testing::WithParamInterface<ServiceRow> {};

TEST_P(ServiceChoiceTest, PostsAndCachesTheBestServiceType) {
  const ServiceRow& row = GetParam();
  std::vector<ULONG> capabilities = row.capabilities;
  // An empty row stands for a count without a list, which must read as no capabilities at all.
  CVeskSDK::DataCapabilitiesCallback(capabilities.empty() ? 4 : static_cast<BYTE>(capabilities.size()),
                                     capabilities.empty() ? nullptr : capabilities.data());
  const auto posted = Posted();
  ASSERT_EQ(posted.size(), 1u);
  EXPECT_EQ(std::tuple(posted[0].code, posted[0].param1, sdk_->GetConnectionCapability()),
            std::tuple(WWAN_NOTIFICATION_SERVICE, static_cast<uintptr_t>(row.service), row.service));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Capabilities, ServiceChoiceTest, testing::Values(
    ServiceRow{"HsdpaAndHsupaMakeHspa", {3, 4}, NORMAL_SERVICETYPE_HSPA},
    ServiceRow{"GsmFamilyWinsOverABetterCdmaType", {8, 1}, NORMAL_SERVICETYPE_GPRS},
    ServiceRow{"EvdoRev0RanksAbove1xRtt", {6, 7}, NORMAL_SERVICETYPE_1xEVDORev0},
    ServiceRow{"OnlyTheLowByteCounts", {0x7703, 0xFF04}, NORMAL_SERVICETYPE_HSPA},
    ServiceRow{"UnknownCodes", {10, 11, 0}, NORMAL_SERVICETYPE_Unknown},
    ServiceRow{"CountWithoutAList", {}, NORMAL_SERVICETYPE_Unknown}), kLabel);
// clang-format on

// The diagnostic stress thread reports signal strengths while the library does: each notification
// must carry one report's pair, and the last one must be what the cache holds.
TEST_F(NetworkReportTest, RacingSignalReportsNeverMixTheirValues) {
  constexpr int kReports = 1000;
  std::thread weak([] {
    for (int i = 0; i < kReports; ++i) {
      CVeskSDK::SignalStrengthCallback(-112, 4);
    }
  });
  for (int i = 0; i < kReports; ++i) {
    CVeskSDK::SignalStrengthCallback(-64, 5);
  }
  weak.join();
  const auto posted = Posted();
  ASSERT_EQ(posted.size(), 2u * kReports);
  for (const auto& rssi : posted) {
    ASSERT_EQ(rssi.param2, static_cast<int32_t>(rssi.param1) == -112 ? 0u : 100u)
        << static_cast<int32_t>(rssi.param1);
  }
  EXPECT_EQ(
      sdk_->WithInfo([](CachedCellularInfo& info) { return std::pair(info.signalDbm, info.signalPercent); }),
      std::pair(static_cast<int32_t>(posted.back().param1), static_cast<int32_t>(posted.back().param2)));
}

struct DecodeRow {
  const char* label;
  ULONG preference;
  int32_t selection;
  const char* lastLine;  // at level 2 when the selection is Not_Supported, else at level 4
};

class PreferenceDecodingTest : public DeviceManagerTest, public testing::WithParamInterface<DecodeRow> {};

TEST_P(PreferenceDecodingTest, GivesTheSelectionAndSaysWhy) {
  const DecodeRow& row = GetParam();
  EXPECT_EQ(ServiceSelectionTestPeer::Decode(*sdk_, row.preference), row.selection);
  const bool undecodable = row.selection == NORMAL_SERVICESELECTION_Not_Supported;
  const auto lines = traceLog_.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(std::pair(lines.back().text, lines.back().level),
            std::pair(std::string("    ") + row.lastLine, undecodable ? kTraceLevelError : kTraceLevelInfo));
  EXPECT_EQ(traceLog_.Count("", kTraceLevelError), undecodable ? 1u : 0u);
}

// Automatic, and each technology with the other's protocol; the end-to-end tests read back valid ones.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Preferences, PreferenceDecodingTest, testing::Values(
    DecodeRow{"Automatic", 0x0, NORMAL_SERVICESELECTION_Default, "currently using an automatic service selection"},
    DecodeRow{"CdmaWithTheGsm2GProtocol", 0x5, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid cdma protocol preference (0x00000005)"},
    DecodeRow{"GsmWithTheCdma3GProtocol", 0x12, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid protocol preference (0x00000012)"},
    DecodeRow{"InvalidTechnologyWithAProtocol", 0xFFFFFFFB, NORMAL_SERVICESELECTION_Not_Supported,
              "invalid technology preference (0xFFFFFFFB)"}), kLabel);
// clang-format on

// The modem's table from -112 to -64 dBm, every entry; 0 below it, 100 above it.
TEST(SignalPercentTest, FollowsTheTableAndClampsOutsideIt) {
  std::string percents;
  for (int32_t dbm = -113; dbm <= -63; ++dbm) {
    percents += std::to_string(SignalStrengthToPercent(dbm)) + (dbm < -63 ? " " : "");
  }
  EXPECT_EQ(percents,
            "0 0 2 4 6 8 11 13 16 18 21 23 26 28 31 33 35 37 40 42 44 46 49 51 53 55 57 60 62 64 66 69 71 73 75 76 "
            "78 80 81 83 85 86 88 90 91 93 95 96 98 100 100");
  EXPECT_EQ(SignalStrengthToPercent(-128) + SignalStrengthToPercent(127), 100);
}

}  // namespace
}  // namespace device_test
