// Autoconnect through the simulated modem: switched on with the default profile written for a GSM
// image, the modem connecting by itself (and again after losing its session), the attempts at
// switching it on, the 29 s watch that switches it off when the modem never reports a session, and
// switching it off.
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace e2e {
namespace {

constexpr char kPassword[] = "pw-Ac7Kq2";
constexpr char kTimerRan[] = "==> CVeskSDK::HandleAutoconnectTimeout";

class AutoconnectTest : public EndToEndTest {
 protected:
  void TearDown() override {
    EndToEndTest::TearDown();
    EXPECT_FALSE(traceLog_.Contains(kPassword)) << "a trace line shows the password";
  }
  bool SwitchOn(const char* password = kPassword) {
    return sdk_->SetAutoConnectMode(NORMAL_AUTOCONNECT_Enabled, "auto.test", "carol", password);
  }
  ULONG ModemSetting() const {
    ULONG setting = 99;
    EXPECT_EQ(second_.Call<ULONG>("GetAutoconnect", &setting), 0u);
    return setting;
  }
  // Returns once the device power state timer (every 6 s) has run `ticks` more times: a timer armed
  // before this call for less than (ticks - 1) periods has expired by then.
  void LetPowerTicksPass(uint32_t ticks) const {
    ASSERT_TRUE(second_.WaitForCalls("GetPower", second_.CallCount("GetPower") + ticks));
  }
  std::vector<int32_t> SessionCodesFrom(std::size_t from) const {
    std::vector<int32_t> codes;
    const auto all = sink_.Notifications();
    for (std::size_t i = from; i < all.size(); ++i) {
      if (all[i].code == WWAN_NOTIFICATION_CONNECTED || all[i].code == WWAN_NOTIFICATION_DISCONNECTED) {
        codes.push_back(all[i].code);
      }
    }
    return codes;
  }
};

TEST_F(AutoconnectTest, GsmImageWritesTheProfileAndTheModemConnectsByItselfAgainAfterADrop) {
  second_.Load(std::string("[sim]\npin_status = 3\n[session]\naccepted_user = carol\naccepted_password = ") +
               kPassword + "\n[timing]\nreconnect_ms = 500\n");
  AttachAndWait();
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(SwitchOn());
  const std::size_t connected = WaitFor(WWAN_NOTIFICATION_CONNECTED, from);

  EXPECT_EQ(sink_.Notifications()[connected].param2, static_cast<uintptr_t>(sdk_->GetConnectionCapability()));
  EXPECT_TRUE(traceLog_.Contains("    configured GSM default profile for autoconnect mode", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    enabled autoconnect", kTraceLevelInfo));
  EXPECT_EQ(ModemSetting(), 1u);
  EXPECT_EQ(second_.CallCount("StartDataSession"), 0u) << "the modem connected by itself";
  CachedDefaultProfile profile{};
  sdk_->GetCachedDefaultProfile(&profile);
  EXPECT_EQ(CachedTextView(profile.profileName), u"Default");
  EXPECT_EQ(CachedTextView(profile.apn), u"auto.test");
  EXPECT_EQ(CachedTextView(profile.userName), u"carol");

  // A session the modem loses comes back by itself.
  second_.Event("session = 1");
  WaitFor(WWAN_NOTIFICATION_CONNECTED, WaitFor(WWAN_NOTIFICATION_DISCONNECTED, connected + 1));

  // The modem's reports stopped the timer: its expiry never runs.
  LetPowerTicksPass(7);
  EXPECT_FALSE(traceLog_.Contains(kTimerRan));
  EXPECT_EQ(ModemSetting(), 1u);
}

TEST_F(AutoconnectTest, CdmaImageWritesNoProfile) {
  second_.Load("[firmware]\ntechnology = 0\n[radio]\ndata_caps = 8\n");
  AttachAndWait();
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(SwitchOn());
  WaitFor(WWAN_NOTIFICATION_CONNECTED, from);

  EXPECT_TRUE(traceLog_.Contains("    attempting to enable autoconnect for a CDMA image", kTraceLevelInfo));
  EXPECT_EQ(second_.CallCount("SetDefaultProfile"), 0u);
  EXPECT_EQ(second_.CallCount("GetDefaultProfile"), 0u);
}

struct AlreadyOnRow {
  const char* label;
  uint32_t state;
  int32_t code;
  const char* line;
  int32_t level;
};
void PrintTo(const AlreadyOnRow& row, std::ostream* os) {
  *os << row.label;
}

class AlreadyOnTest : public AutoconnectTest, public testing::WithParamInterface<AlreadyOnRow> {};

TEST_P(AlreadyOnTest, RepeatsTheSessionStateWithoutSwitchingAgain) {
  const AlreadyOnRow& row = GetParam();
  // A modem with autoconnect on connects by itself unless the network refuses its credentials.
  second_.Load("[sim]\npin_status = 3\n[session]\nautoconnect = 1\nstate = " + std::to_string(row.state) +
               "\naccepted_user = nobody\n");
  AttachAndWait();
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(SwitchOn());
  const std::size_t posted = WaitFor(row.code, from);

  EXPECT_EQ(sink_.Notifications()[posted].param1, 0u);
  EXPECT_EQ(sink_.Notifications()[posted].param2, static_cast<uintptr_t>(sdk_->GetConnectionCapability()));
  EXPECT_TRUE(traceLog_.Contains("    Autoconnect already enabled", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains(row.line, row.level)) << row.line;
  EXPECT_EQ(second_.CallCount("SetAutoconnect"), 0u);
  // The profile is still brought in step with the host's.
  EXPECT_EQ(second_.CallCount("SetDefaultProfile"), 1u);
  Settle();
  EXPECT_EQ(SessionCodesFrom(from), std::vector<int32_t>{row.code});
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(States, AlreadyOnTest, testing::Values(
    AlreadyOnRow{"Connected", 2, WWAN_NOTIFICATION_CONNECTED,
                 "    autoconnect is enabled and the device is connected", kTraceLevelInfo},
    AlreadyOnRow{"Disconnected", 1, WWAN_NOTIFICATION_DISCONNECTED,
                 "    autoconnect is enabled and the device is disconnected", kTraceLevelWarning}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

struct EnableRow {
  const char* label;
  ULONG fault;
  uint32_t faultTimes;
  bool result;
  uint32_t calls;  // SetAutoconnect calls, the write-back to disabled included
  const char* line;
};
void PrintTo(const EnableRow& row, std::ostream* os) {
  *os << row.label;
}

class EnableAttemptTest : public AutoconnectTest, public testing::WithParamInterface<EnableRow> {};

TEST_P(EnableAttemptTest, RetriesOnceAndWritesARefusalBackToDisabled) {
  const EnableRow& row = GetParam();
  // Credentials the network refuses: the modem never connects, so an armed timer runs out.
  second_.Load("[sim]\npin_status = 3\n[session]\naccepted_user = nobody\n");
  AttachAndWait();
  second_.Fail("SetAutoconnect", row.fault, row.faultTimes);
  const Clock::time_point switchedOn = Clock::now();
  EXPECT_EQ(SwitchOn(), row.result);

  EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
  EXPECT_EQ(second_.CallCount("SetAutoconnect"), row.calls);
  // Every call but the first and the write-back is a retry, made after the pause.
  const auto retries = LineTimes("Retry autoconnection, previous result");
  EXPECT_EQ(retries.size(), row.calls - (row.result ? 1 : 2));
  if (row.result) {
    ASSERT_TRUE(WaitForLines(kTimerRan));
    EXPECT_GE(LineTimes(kTimerRan)[0] - switchedOn, AtLeast(CVeskSDK::kAutoconnectTimeoutMs));
  } else {
    EXPECT_TRUE(traceLog_.Contains("    setting autoconnect flag back to disabled (rc = ", kTraceLevelInfo));
    EXPECT_EQ(ModemSetting(), 0u);
  }
  EXPECT_TRUE(
      traceLog_.Contains("    SetAutoConnectMode: updated the default info in the CCellularSDK object"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Results, EnableAttemptTest, testing::Values(
    EnableRow{"NoEffectTwiceCountsAsSet", QMI_ERR_NO_EFFECT, 2, true, 2,
              "    There was a previous error with autoconnect, and the last result is QMI_ERR_NO_EFFECT, so it seems "
              "like it is set now"},
    EnableRow{"NoEffectThenSet", QMI_ERR_NO_EFFECT, 1, true, 2, "    enabled autoconnect"},
    EnableRow{"RetryLaterTwice", QMI_ERR_RETRY_LATER, 2, false, 3,
              "    problem with auto connect enable (rc = 1014)"},
    EnableRow{"Refused", GENERAL_ERROR, 1, false, 2, "    problem with auto connect enable (rc = 1)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

TEST_F(AutoconnectTest, RejectedCredentialsAreSwitchedOffWhenTheTimerRunsOut) {
  second_.Load("[sim]\npin_status = 3\n[session]\naccepted_password = right\n");
  AttachAndWait();
  const std::size_t from = sink_.Count();
  const Clock::time_point switchedOn = Clock::now();
  ASSERT_TRUE(SwitchOn());
  const std::size_t disconnected = WaitFor(WWAN_NOTIFICATION_DISCONNECTED, from);

  ASSERT_TRUE(WaitForLines("    successfully disabled autoconnect"));
  const auto timedOut = LineTimes("    Autoconnect timed out, perhaps due to invalid credentials?");
  ASSERT_EQ(timedOut.size(), 1u);
  EXPECT_GE(timedOut[0] - switchedOn, AtLeast(CVeskSDK::kAutoconnectTimeoutMs));
  EXPECT_EQ(sink_.Notifications()[disconnected].param2, 0u);
  EXPECT_EQ(ModemSetting(), 0u);
  Settle();
  EXPECT_EQ(SessionCodesFrom(from), std::vector<int32_t>{WWAN_NOTIFICATION_DISCONNECTED});
}

// A session the host connected itself reports nothing new when autoconnect is switched on.
TEST_F(AutoconnectTest, TimerRunningOutWhileConnectedLeavesAutoconnectOn) {
  second_.Load("[sim]\npin_status = 3\n[session]\nstate = 2\n");
  AttachAndWait();
  ASSERT_TRUE(SwitchOn());
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::HandleAutoconnectTimeout"));

  EXPECT_FALSE(traceLog_.Contains("Autoconnect timed out"));
  EXPECT_EQ(second_.CallCount("SetAutoconnect"), 1u);
  EXPECT_EQ(ModemSetting(), 1u);
}

struct ModeRow {
  const char* label;
  const char* scenario;
  int32_t mode;
  ULONG fault;
  bool result;
  uint32_t writes;  // SetAutoconnect calls
  bool disconnectedPosted;
  const char* line;
};
void PrintTo(const ModeRow& row, std::ostream* os) {
  *os << row.label;
}

class SwitchModeTest : public AutoconnectTest, public testing::WithParamInterface<ModeRow> {};

TEST_P(SwitchModeTest, SwitchesOffOrRefusesAndReadsTheProfileBack) {
  const ModeRow& row = GetParam();
  second_.Load(std::string("[sim]\npin_status = 3\n") + row.scenario);
  AttachAndWait();
  if (row.fault != 0) {
    second_.Fail("SetAutoconnect", row.fault, 1);
  }
  const std::size_t from = sink_.Count();
  EXPECT_EQ(sdk_->SetAutoConnectMode(row.mode, "auto.test", "carol", kPassword), row.result);
  Settle();

  EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
  EXPECT_EQ(second_.CallCount("SetAutoconnect"), row.writes);
  EXPECT_EQ(second_.CallCount("SetDefaultProfile"), 0u);
  EXPECT_EQ(SessionCodesFrom(from),
            row.disconnectedPosted ? std::vector<int32_t>{WWAN_NOTIFICATION_DISCONNECTED} : std::vector<int32_t>{});
  EXPECT_TRUE(
      traceLog_.Contains("    SetAutoConnectMode: updated the default info in the CCellularSDK object"));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Modes, SwitchModeTest, testing::Values(
    ModeRow{"OffWhileConnected", "[session]\nautoconnect = 1\nstate = 2\n", NORMAL_AUTOCONNECT_Disabled, 0, true, 1,
            false, "    successfully disabled autoconnect"},
    ModeRow{"OffWhileDisconnected", "[session]\nautoconnect = 1\naccepted_user = nobody\n", NORMAL_AUTOCONNECT_Disabled, 0, true, 1, true,
            "    Already disconnected, but autoconnect is enabled (an error condition), so just generate "
            "disconnected event and disable autoconnect to try to restore device"},
    ModeRow{"OffAlready", "", NORMAL_AUTOCONNECT_Disabled, 0, true, 0, true,
            "    Autoconnect mode is already disabled, returning successful"},
    ModeRow{"OffRefused", "[session]\nautoconnect = 1\nstate = 2\n", NORMAL_AUTOCONNECT_Disabled, GENERAL_ERROR,
            false, 1, false, "    there was an error disabling autoconnect (rc = 1)"},
    ModeRow{"Unsupported", "", NORMAL_AUTOCONNECT_Unsupported, 0, false, 0, false,
            "    unknown autoconnect mode specified (2)"},
    ModeRow{"Unknown", "", NORMAL_AUTOCONNECT_Unknown, 0, false, 0, false,
            "    unknown autoconnect mode specified (3)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
}  // namespace e2e
