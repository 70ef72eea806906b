// Special diagnostics: each command with its lines and result, the settings report, and the RSSI
// stress run with its end when the manager closes.
#include <algorithm>
#include <functional>
#include <string>
#include <utility>

#include "e2e_host.h"
#include "vesk/notifications.h"

struct StressTestPeer {
  static void Run(CVeskSDK& sdk, RssiStressPlan plan) { sdk.StressRssi(std::move(plan)); }
};

namespace e2e {
namespace {

constexpr uint32_t Word(uint32_t code, uint32_t high) {
  return code | (high << 16);
}

class DiagnosticsCommandTest;

struct CommandRow {
  const char* label;
  uint32_t command;
  bool result;
  const char* line;
  int32_t level;
  const char* vendorEntry;  // called once by the command, or null
  std::function<void(DiagnosticsCommandTest&)> check;
  bool busy = false;  // the vendor entry answers RETRY_LATER once
};

class DiagnosticsCommandTest : public EndToEndTest, public testing::WithParamInterface<CommandRow> {
 public:
  uintptr_t LastRoaming() {
    Settle();
    return Params(WWAN_NOTIFICATION_ROAMING).back();
  }
  std::u16string HomeCode() { return Cached(&CachedCellularInfo::homeNetworkCode); }
};

TEST_P(DiagnosticsCommandTest, WritesItsLinesAndAnswers) {
  const CommandRow& row = GetParam();
  AttachAndWait();
  const uint32_t calls = row.vendorEntry ? second_.CallCount(row.vendorEntry) : 0;
  if (row.busy) {
    second_.Fail(row.vendorEntry, RETRY_LATER, 1);
  }
  EXPECT_EQ(sdk_->PerformSpecialDiagnostics(row.command), row.result);
  EXPECT_TRUE(traceLog_.Contains(row.line, row.level)) << row.line;
  if (row.vendorEntry != nullptr) {
    EXPECT_EQ(second_.CallCount(row.vendorEntry), calls + 1) << row.vendorEntry;
    EXPECT_FALSE(traceLog_.Contains(std::string("Retry ") + row.vendorEntry));
  }
  if (row.check) {
    row.check(*this);
  }
}

constexpr char kRoaming[] = "    VESKTEST: SIMULATING DEVICE SWITCH TO ROAMING (TRUE)";
// clang-format off
INSTANTIATE_TEST_SUITE_P(Commands, DiagnosticsCommandTest, testing::Values(
    CommandRow{"StartActivationWhenActivated", 1, true, "    Vesk devices is already activated", kTraceLevelInfo,
               "GetActivationState", {}},
    CommandRow{"StartActivationStateUnreadable", 1, false,
               "    could not get current activation state of the device (15)", kTraceLevelError, "GetActivationState",
               {}, true},
    CommandRow{"ResetToFactoryDefaults", 2, true,
               "    start the reset to factory default process", kTraceLevelInfo, "ResetToFactoryDefaults", {}},
    CommandRow{"ResetToFactoryDefaultsRefused", 2, false,
               "    could not successfully reset the device to factory defaults (15)", kTraceLevelError,
               "ResetToFactoryDefaults", {}, true},
    CommandRow{"RoamingOn", 4, false, kRoaming, kTraceLevelInfo, nullptr,
               [](DiagnosticsCommandTest& t) { EXPECT_EQ(t.LastRoaming(), 1u); }},
    CommandRow{"RoamingOff", 5, false, kRoaming, kTraceLevelInfo, nullptr,
               [](DiagnosticsCommandTest& t) { EXPECT_EQ(t.LastRoaming(), 2u); }},
    CommandRow{"HomeOperatorMccAndMnc", Word(6, (244 << 8) | 91), false,
               "    VESKTEST: CHANGING THE HOME OPERATOR ID", kTraceLevelInfo, nullptr,
               [](DiagnosticsCommandTest& t) { EXPECT_EQ(t.HomeCode(), u"24491"); }},
    CommandRow{"LockSim", 7, false, "    VESKTEST: LOCK SIM rc = 0 (0)", kTraceLevelInfo, "SetLock", {}},
    CommandRow{"SetPowerOn", Word(8, 0), false, "    VESKTEST: SETTING THE DEVICE POWER TO '0'", kTraceLevelInfo,
               "SetPower", {}},
    CommandRow{"SetPowerRefused", Word(8, 9), false,
               "    VESKTEST: PROBLEM SETTING THE DEVICE POWER TO '9' (rc = 4)", kTraceLevelError, "SetPower", {}},
    CommandRow{"Imsi", 50010, false, "    International Mobile Subscriber Identity: 001010123456789",
               kTraceLevelInfo, "GetIMSI", {}},
    CommandRow{"UnknownCodeWithParameter", Word(9, 1), false,
               "    Error: Unknown code ( 65545 ) in PerformSpecialDiagnostics", kTraceLevelError, nullptr, {}},
    // The network reports ask the modem once: a retry would report a second answer in place of the first.
    CommandRow{"HomeNetworkBusy", 50123, false,
               "    could not get home network info from the vesk device (rc = 15)", kTraceLevelError,
               "GetHomeNetwork", {}, true},
    CommandRow{"ServingNetworkBusy", 51234, false, "    could not get the serving network info (rc = 15)",
               kTraceLevelError, "GetServingNetwork", {}, true}), kLabel);
// clang-format on

TEST_F(EndToEndTest, ImsiReportShowsAnImsiLongerThanSixtyTwoCharacters) {
  const std::string imsi(100, '7');
  AttachAndWait("[sim]\nimsi = " + imsi + "\n");
  EXPECT_FALSE(sdk_->PerformSpecialDiagnostics(50010));
  EXPECT_TRUE(traceLog_.Contains("    International Mobile Subscriber Identity: " + imsi, kTraceLevelInfo));
  EXPECT_FALSE(traceLog_.Contains(imsi + "7"));
}

struct ReportRow {
  const char* label;
  const char* arrange;  // a simulator event, or null
  const char* failing;  // the vendor entry that fails once, or null
  const char* line;
};

class SettingsReportTest : public EndToEndTest, public testing::WithParamInterface<ReportRow> {};

TEST_P(SettingsReportTest, ReportsTheSessionStateAndTheDefaultProfile) {
  const ReportRow& row = GetParam();
  AttachAndWait();
  if (row.arrange != nullptr) {
    const std::size_t lines = LineTimes("<== CVeskSDK::SessionStateCallback").size();
    second_.Event(row.arrange);
    ASSERT_TRUE(WaitForLines("<== CVeskSDK::SessionStateCallback", lines + 1));
  }
  if (row.failing != nullptr) {
    second_.Fail(row.failing, GENERAL_ERROR, 1);
  }
  EXPECT_FALSE(sdk_->PerformSpecialDiagnostics(50000));
  const auto line = traceLog_.FindLine("GETTING THE CURRENT SETTINGS", kTraceLevelInfo);
  ASSERT_TRUE(line);
  EXPECT_NE(line->text.find(std::string("\n") + row.line + "\n"), std::string::npos) << line->text;
  EXPECT_TRUE(WaitForLines("==> CVeskSDK::SaveCurrentDefaultProfileInfo"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(States, SettingsReportTest, testing::Values(
    ReportRow{"Connected", "session = 2", nullptr, "VESKTEST: session state is currently connected"},
    ReportRow{"Suspended", "session = 3", nullptr, "VESKTEST: session state is currently suspended (not supported)"},
    ReportRow{"Authenticating", "session = 4", nullptr, "VESKTEST: session state is currently 'authenticating'"},
    ReportRow{"Unknown", "session = 7", nullptr, "VESKTEST: FAIL FAIL FAIL FAIL FAIL FAIL"},
    ReportRow{"Unreadable", nullptr, "GetSessionState",
              "VESKTEST: ERROR - could not get the current session state '1'"},
    ReportRow{"AutoconnectUnreadable", nullptr, "GetAutoconnect",
              "VESKTEST: ERROR - could not get the current autoconnect setting '1'"}), kLabel);
// clang-format on

TEST_F(EndToEndTest, StressRunReportsTheFirstPatternInOrderAndRefusesASecondRun) {
  constexpr uint32_t kStressRssi = 3;
  const std::size_t from = sink_.Count();
  EXPECT_FALSE(sdk_->PerformSpecialDiagnostics(kStressRssi));
  EXPECT_FALSE(sdk_->PerformSpecialDiagnostics(kStressRssi));
  EXPECT_TRUE(traceLog_.Contains("    VESKTEST: COULD NOT START A NEW RSSI THREAD", kTraceLevelError));

  std::size_t next = from;
  for (int32_t dbm = -115; dbm <= 0; ++dbm, ++next) {
    ASSERT_EQ(static_cast<intptr_t>(Next(WWAN_NOTIFICATION_RSSI, next, &next).param1), dbm);
  }
  EXPECT_EQ(static_cast<intptr_t>(Next(WWAN_NOTIFICATION_RSSI, next).param1),
            0);  // the second pattern's start
}

// The random pattern, run without its pauses: exactly its 10,000 strengths.
TEST_F(EndToEndTest, RandomStressPatternReportsTenThousandStrengths) {
  const std::size_t before = traceLog_.Count("<== CVeskSDK::SignalStrengthCallback");
  StressTestPeer::Run(*sdk_, {{"random", 0}});
  EXPECT_EQ(traceLog_.Count("<== CVeskSDK::SignalStrengthCallback") - before, 10000u);
}

// On the real clock a stress run lasts about two minutes; closing or releasing the manager ends it.
class StressShutdownTest : public EndToEndTest, public testing::WithParamInterface<bool> {};

TEST_P(StressShutdownTest, EndsTheRunBeforeReturning) {
  const bool release = GetParam();
  SetTimeScale(1.0);
  EXPECT_FALSE(sdk_->PerformSpecialDiagnostics(3));
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::SignalStrengthCallback", 3));
  const Clock::time_point start = Clock::now();
  if (release) {
    Release();
  } else {
    EXPECT_TRUE(sdk_->Close());
  }
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
  // The thread has left the manager for good before the manager let go.
  const auto lines = traceLog_.lines();
  const auto at = [&lines](const char* text, std::ptrdiff_t from = 0) {
    return std::find_if(lines.begin() + from, lines.end(),
                        [&](const auto& line) { return line.text == text; }) -
           lines.begin();
  };
  const auto ended = at("<== CVeskSDK::StressRssi");
  ASSERT_LT(ended, std::ssize(lines));
  EXPECT_LT(ended, at(release ? "<== CVeskSDK::~CVeskSDK" : "<== CVeskSDK::Close"));
  EXPECT_EQ(at("==> CVeskSDK::SignalStrengthCallback", ended), std::ssize(lines));
}

INSTANTIATE_TEST_SUITE_P(CloseOrRelease, StressShutdownTest, testing::Bool(),
                         [](const auto& info) { return std::string(info.param ? "Release" : "Close"); });

}  // namespace
}  // namespace e2e
