// Autoconnect through the simulated modem: the modem connecting by itself (and again after losing its
// session), the attempts at switching it on and off, and the 29 s watch that switches it off when the
// modem never reports a session.
#include <string>
#include <tuple>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace e2e {
namespace {

constexpr char kTimerRan[] = "==> CVeskSDK::HandleAutoconnectTimeout";
constexpr int32_t kConnected = WWAN_NOTIFICATION_CONNECTED;
constexpr int32_t kDisconnected = WWAN_NOTIFICATION_DISCONNECTED;

class AutoconnectTest : public EndToEndTest {
 protected:
  bool SetMode(int32_t mode) { return sdk_->SetAutoConnectMode(mode, "auto.test", "carol", kPassword); }
  ULONG ModemSetting() const {
    ULONG setting = 99;
    EXPECT_EQ(second_.Call<ULONG>("GetAutoconnect", &setting), 0u);
    return setting;
  }
};

TEST_F(AutoconnectTest, GsmImageWritesTheProfileAndTheModemConnectsByItselfAgainAfterADrop) {
  AttachAndWait(std::string("[session]\naccepted_user = carol\naccepted_password = ") + kPassword +
                "\n[timing]\nreconnect_ms = 500\n");
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(SetMode(NORMAL_AUTOCONNECT_Enabled));
  const std::size_t connected = WaitFor(kConnected, from);
  EXPECT_EQ(sink_.Notifications()[connected].param2, static_cast<uintptr_t>(sdk_->GetConnectionCapability()));
  EXPECT_EQ(second_.CallCount("StartDataSession"), 0u) << "the modem connected by itself";
  CachedDefaultProfile profile{};
  sdk_->GetCachedDefaultProfile(&profile);
  EXPECT_EQ(CachedTextView(profile.profileName), u"Default");
  EXPECT_EQ(CachedTextView(profile.apn), u"auto.test");
  ULONG authentication = 99;
  char name[16] = {};
  char apn[16] = {};
  char user[16] = {};
  ULONG* const unread = nullptr;
  ASSERT_EQ(second_.Call<ULONG>("GetDefaultProfile", ULONG{0}, unread, unread, unread, unread, &authentication,
                                BYTE{16}, name, BYTE{16}, apn, BYTE{16}, user),
            0u);
  EXPECT_EQ(std::make_tuple(authentication, std::string(name), std::string(user)),
            std::make_tuple(ULONG{2}, std::string("Default"), std::string("carol")));

  second_.Event("session = 1");
  WaitFor(kConnected, WaitFor(kDisconnected, connected + 1));
  // The modem's reports stopped the timer: after five more 6 s power ticks its expiry has not run.
  ASSERT_TRUE(second_.WaitForCalls("GetPower", second_.CallCount("GetPower") + 6));
  EXPECT_FALSE(traceLog_.Contains(kTimerRan));
  EXPECT_EQ(ModemSetting(), 1u);
}

TEST_F(AutoconnectTest, RejectedCredentialsAreSwitchedOffWhenTheTimerRunsOut) {
  AttachAndWait("[session]\naccepted_password = right\n");
  const std::size_t from = sink_.Count();
  const Clock::time_point switchedOn = Clock::now();
  ASSERT_TRUE(SetMode(NORMAL_AUTOCONNECT_Enabled));
  const std::size_t disconnected = WaitFor(kDisconnected, from);

  ASSERT_TRUE(WaitForLines("    successfully disabled autoconnect"));
  const auto timedOut = LineTimes("    Autoconnect timed out, perhaps due to invalid credentials?");
  ASSERT_EQ(timedOut.size(), 1u);
  EXPECT_GE(timedOut[0] - switchedOn, AtLeast(CVeskSDK::kAutoconnectTimeoutMs));
  EXPECT_EQ(sink_.Notifications()[disconnected].param2, 0u);
  EXPECT_EQ(ModemSetting(), 0u);
  Settle();
  EXPECT_EQ(CodesFrom(from, {kConnected, kDisconnected}), std::vector<int32_t>{kDisconnected});
}

struct ModeRow {
  const char* label;
  const char* scenario;
  int32_t mode;
  ULONG fault;  // SetAutoconnect's answer, faultTimes times
  uint32_t faultTimes;
  bool result;
  uint32_t writes;         // SetAutoconnect calls, write-backs to disabled (the timer's too) included
  uint32_t profileWrites;  // SetDefaultProfile calls
  std::vector<int32_t> codes;
  // The autoconnect timer was armed and, the modem staying off, runs out: every row that arms it waits
  // for its end, since on a busy machine it can run out before the counts are read.
  bool timerRuns;
  const char* line = nullptr;  // where the counts cannot tell the branch
};

class SetModeTest : public AutoconnectTest, public testing::WithParamInterface<ModeRow> {};

TEST_P(SetModeTest, SwitchesRetriesOrRefusesAndReadsTheProfileBack) {
  const ModeRow& row = GetParam();
  // The network refuses the modem's own sessions, so it never connects by itself here.
  AttachAndWait(std::string("[session]\naccepted_user = nobody\n") + row.scenario);
  second_.Fail("SetAutoconnect", row.fault, row.faultTimes);
  const std::size_t from = sink_.Count();
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(SetMode(row.mode), row.result);
  if (row.timerRuns) {
    ASSERT_TRUE(WaitForLines("<== CVeskSDK::HandleAutoconnectTimeout"));
    EXPECT_GE(LineTimes(kTimerRan)[0] - start, AtLeast(CVeskSDK::kAutoconnectTimeoutMs));
  }
  Settle();

  if (row.line != nullptr) {
    EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
  }
  EXPECT_EQ(second_.CallCount("SetAutoconnect"), row.writes);
  EXPECT_EQ(second_.CallCount("SetDefaultProfile"), row.profileWrites);
  EXPECT_EQ(CodesFrom(from, {kConnected, kDisconnected}), row.codes);
}

constexpr char kOnConnected[] = "[session]\nautoconnect = 1\nstate = 2\n";
constexpr char kOn[] = "[session]\nautoconnect = 1\n";
constexpr int32_t kOff = NORMAL_AUTOCONNECT_Disabled;
constexpr int32_t kOnMode = NORMAL_AUTOCONNECT_Enabled;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SetModeTest, testing::Values(
    ModeRow{"AlreadyOnConnected", kOnConnected, kOnMode, 0, 0, true, 0, 1, {kConnected}, false},
    ModeRow{"NoEffectTwiceCountsAsSet", "", kOnMode, QMI_ERR_NO_EFFECT, 2, true, 2, 1, {}, true,
            "    There was a previous error with autoconnect, and the last result is QMI_ERR_NO_EFFECT, so it seems "
            "like it is set now"},
    ModeRow{"NoEffectThenSet", "", kOnMode, QMI_ERR_NO_EFFECT, 1, true, 3, 1, {kDisconnected}, true},
    ModeRow{"RefusedWrittenBack", "", kOnMode, GENERAL_ERROR, 1, false, 2, 1, {}, false},
    ModeRow{"CdmaWritesNoProfile", "[firmware]\ntechnology = 0\n", kOnMode, 0, 0, true, 2, 0, {kDisconnected}, true},
    ModeRow{"OffWhileDisconnected", kOn, kOff, 0, 0, true, 1, 0, {kDisconnected}, false},
    ModeRow{"OffAlreadyOff", "", kOff, 0, 0, true, 0, 0, {kDisconnected}, false,
            "    Autoconnect mode is already disabled, returning successful"},
    ModeRow{"OffAlreadyOffConnected", "[session]\nstate = 2\n", kOff, 0, 0, true, 0, 0, {}, false},
    ModeRow{"OffRefused", kOn, kOff, GENERAL_ERROR, 1, false, 1, 0, {kDisconnected}, false,
            "    there was an error disabling autoconnect (rc = 1)"},
    ModeRow{"Unknown", "", NORMAL_AUTOCONNECT_Unknown, 0, 0, false, 0, 0, {}, false}), kLabel);
// clang-format on

}  // namespace
}  // namespace e2e
