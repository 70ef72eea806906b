// Network, roaming and signal of an attached simulated modem: its reports as the host sees them, and
// the home and serving network read into the cache.
#include <functional>
#include <string>

#include "e2e_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

// Runs the network queries of an attached modem on the test's thread, as information gathering does.
struct NetworkInfoTestPeer {
  static void GetCellularNetworkInfo(CVeskSDK& sdk) { sdk.GetCellularNetworkInfo(); }
};

namespace e2e {
namespace {

// Home and serving network 234/15; a row's own lines follow.
const std::string kNetworks =
    "[network]\nhome_mcc = 234\nhome_mnc = 15\nhome_name = Tessary\nserving_mcc = 234\nserving_mnc = 15\n";

struct EventRow {
  const char* event;
  int32_t code;
  int64_t param1;        // for the byte totals: the bytes sent (past 4 GB, as on a 32-bit host)
  uint64_t param2;       // for the byte totals: the bytes received
  const char* callback;  // whose scope lines a trace reader sees around the report
};

class ModemReportTest : public EndToEndTest, public testing::WithParamInterface<EventRow> {};

TEST_P(ModemReportTest, ReachesTheHostWithItsParameters) {
  const EventRow& row = GetParam();
  AttachAndWait(kNetworks);
  const std::size_t from = sink_.Count();
  second_.Event(row.event);
  const auto report = Next(row.code, from);
  const std::string scope = std::string("CVeskSDK::") + row.callback;
  ASSERT_TRUE(WaitForLines("<== " + scope));
  EXPECT_EQ(LineTimes("==> " + scope).size(), 1u) << scope;
  const bool totals = row.code == WWAN_NOTIFICATION_BYTES_TX_RX;
  EXPECT_EQ(report.hasPayload, totals);
  // A parameter is as wide as a pointer; a total is 64 bits on every build.
  const uint64_t first = totals ? static_cast<uint64_t>(row.param1) : static_cast<uintptr_t>(row.param1);
  EXPECT_EQ(totals ? std::pair(report.totals.transmitted, report.totals.received)
                   : std::pair(uint64_t{report.param1}, uint64_t{report.param2}),
            std::pair(first, row.param2));
}

INSTANTIATE_TEST_SUITE_P(
    Events, ModemReportTest,
    testing::Values(EventRow{"signal = -88 4", WWAN_NOTIFICATION_RSSI, -88, 55, "SignalStrengthCallback"},
                    EventRow{"roaming = 2", WWAN_NOTIFICATION_ROAMING, 1, 0, "RoamingIndicatorCallback"},
                    EventRow{"roaming = 255", WWAN_NOTIFICATION_ROAMING, 0, 0, "RoamingIndicatorCallback"},
                    EventRow{"data_caps = 2 5", WWAN_NOTIFICATION_SERVICE, NORMAL_SERVICETYPE_UMTS, 0,
                             "DataCapabilitiesCallback"},
                    EventRow{"bytes = 5000000000 77", WWAN_NOTIFICATION_BYTES_TX_RX, 5000000000, 77,
                             "ByteTotalsCallback"}));

struct NetworkRow {
  const char* label;
  const char* scenario;
  std::function<void(const Simulator&)> fault;
  uintptr_t roaming;  // what the host is told
  const char16_t* homeCode;
  const char16_t* homeName;  // null: the carrier's name
  const char16_t* servingCode;
  uint32_t homeCalls;
};

class NetworkInfoTest : public EndToEndTest, public testing::WithParamInterface<NetworkRow> {};

TEST_P(NetworkInfoTest, CachesTheNetworksAndReportsRoaming) {
  const NetworkRow& row = GetParam();
  AttachAndWait(kNetworks + row.scenario);
  // From an empty cache, so that a failed query shows by leaving its fields alone.
  sdk_->WithInfo([](CachedCellularInfo& info) { info.homeNetworkCode[0] = info.servingNetworkCode[0] = 0; });
  if (row.fault) {
    row.fault(second_);
  }
  const uint32_t homeCalls = second_.CallCount("GetHomeNetwork");
  const std::size_t from = sink_.Count();
  NetworkInfoTestPeer::GetCellularNetworkInfo(*sdk_);

  EXPECT_EQ(Next(WWAN_NOTIFICATION_ROAMING, from).param1, row.roaming);
  EXPECT_EQ(second_.CallCount("GetHomeNetwork") - homeCalls, row.homeCalls);
  EXPECT_EQ(Cached(&CachedCellularInfo::homeNetworkCode), row.homeCode);
  EXPECT_EQ(Cached(&CachedCellularInfo::servingNetworkCode), row.servingCode);
  const std::u16string carrier = Cached(&CachedCellularInfo::carrierName);
  EXPECT_EQ(Cached(&CachedCellularInfo::homeNetworkName), row.homeName != nullptr ? row.homeName : carrier);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Networks, NetworkInfoTest, testing::Values(
    NetworkRow{"AbroadWithAShortMnc", "[network]\nroaming = 0\nserving_mcc = 310\nserving_mnc = 4\n", nullptr, 1,
               u"23415", u"Tessary", u"3104", 1},
    NetworkRow{"UnnamedHomeNetwork", "[network]\nhome_name = none\nhome_mcc = 310\nhome_mnc = 260\n", nullptr, 2,
               u"310260", nullptr, u"23415", 1},
    NetworkRow{"HomeNetworkBusyTwice", "", [](const Simulator& s) { s.Fail("GetHomeNetwork", 15, 2); }, 2,
               u"", u"Tessary", u"23415", 2},
    NetworkRow{"HomeNetworkFailureIsNotRetried", "", [](const Simulator& s) { s.Fail("GetHomeNetwork", 1, 1); },
               2, u"", u"Tessary", u"23415", 1},
    // The modem did not say, so the host is not told that it roams.
    NetworkRow{"ServingNetworkUnknown", "[network]\nroaming = 0\n",
               [](const Simulator& s) { s.Fail("GetServingNetwork", 1, 1); }, 0, u"23415", u"Tessary", u"", 1}),
    kLabel);
// clang-format on

}  // namespace
}  // namespace e2e
