// Data sessions: starting one on the start thread with its retries, a disconnect while the start is
// blocked in the library, the 90 s time-out, detach, the session states the library reports with the
// default profile read back on each, and the autoconnect setting as the host reads it.
#include <future>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace e2e {
namespace {

constexpr char kPassword[] = "pw-Zq81x";

class SessionTest : public EndToEndTest {
 protected:
  void TearDown() override {
    EndToEndTest::TearDown();
    EXPECT_FALSE(traceLog_.Contains(kPassword)) << "a trace line shows the password";
  }
  bool Connect() { return sdk_->Connect("internet.test", "alice", kPassword); }
  void BlockStart(bool block) const {
    if (block) {
      second_.Call<void>("VeskSimDelay", "StartDataSession", UINT32_MAX);
    } else {
      second_.Call<void>("VeskSimRelease", "StartDataSession");
    }
  }
};

TEST_F(SessionTest, ConnectWhileConnectedOrStartingStartsNothingMore) {
  AttachAndWait();
  std::promise<void> reached, goOn;
  OnLine("    Starting data session thread", [&] {
    reached.set_value();
    goOn.get_future().wait_for(kWait);
  });
  ASSERT_TRUE(Connect());
  ASSERT_EQ(reached.get_future().wait_for(kWait), std::future_status::ready);
  EXPECT_TRUE(Connect());  // the thread is still busy
  goOn.set_value();
  const std::size_t first = WaitFor(WWAN_NOTIFICATION_CONNECTED);
  ASSERT_TRUE(Connect());
  WaitFor(WWAN_NOTIFICATION_CONNECTED, first + 1);

  EXPECT_TRUE(traceLog_.Contains("    Start data session thread is already running", kTraceLevelInfo));
  EXPECT_TRUE(traceLog_.Contains("    vesk already connected", kTraceLevelInfo));
  EXPECT_EQ(second_.CallCount("StartDataSession"), 1u);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CONNECTED).back().param2,
            static_cast<uintptr_t>(sdk_->GetConnectionCapability()));
  EXPECT_TRUE(traceLog_.Contains("                      Password : hidden"));
}

struct StartRow {
  const char* label;
  bool attach;
  ULONG fault;
  uint32_t faultTimes;
  std::size_t attempts;
  int32_t outcome;
  const char* finalLine;
};

class SessionStartTest : public SessionTest, public testing::WithParamInterface<StartRow> {};

TEST_P(SessionStartTest, RetriesOnceAfterARetryableResult) {
  const StartRow& row = GetParam();
  if (row.attach) {
    AttachAndWait();
  }
  second_.Fail("StartDataSession", row.fault, row.faultTimes);
  // The attach itself reports the session's state; only what follows the connect counts.
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(Connect());
  WaitFor(row.outcome, from);

  EXPECT_TRUE(traceLog_.Contains(row.finalLine)) << row.finalLine;
  const auto calls = LineTimes("StartDataSessionThread: made call to activate data session");
  ASSERT_EQ(calls.size(), row.attempts);
  EXPECT_EQ(traceLog_.Count("Retry connection, previous result", kTraceLevelError), row.attempts - 1);
  if (row.attempts == 2) {
    EXPECT_TRUE(traceLog_.Contains("                       Attempt : 2"));
    EXPECT_GE(calls[1] - calls[0], AtLeast(CVeskSDK::kSessionRetryPauseMs));
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SessionStartTest, testing::Values(
    StartRow{"RetryLaterThenSuccess", true, QMI_ERR_RETRY_LATER, 1, 2, WWAN_NOTIFICATION_CONNECTED,
             "    started the data session"},
    StartRow{"RetryLaterTwice", true, RETRY_LATER, 2, 2, WWAN_NOTIFICATION_DISCONNECTED,
             "    problem starting the data session (15) for '3' technology type (attempt(s) made '2')"},
    StartRow{"NoModem", false, 0, 0, 1, WWAN_NOTIFICATION_DISCONNECTED,
             "    problem starting the data session (8) for '3' technology type (attempt(s) made '1')"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class BlockedStartTest : public SessionTest, public testing::WithParamInterface<bool> {};

TEST_P(BlockedStartTest, DisconnectIsDeferredUntilTheModemAcknowledgesTheStart) {
  const bool byTimer = GetParam();  // the 90 s timer asks for the disconnect instead of the host
  AttachAndWait();
  BlockStart(true);
  const std::size_t from = sink_.Count();
  const Clock::time_point connectTime = Clock::now();
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(second_.WaitForCalls("StartDataSession", 1));
  if (byTimer) {
    ASSERT_TRUE(WaitForLines("    StartDataSession timed out"));
    EXPECT_GE(LineTimes("StartDataSession timed out")[0] - connectTime,
              AtLeast(CVeskSDK::kStartDataSessionTimeoutMs));
  } else {
    EXPECT_TRUE(sdk_->Disconnect());
  }
  ASSERT_TRUE(
      WaitForLines("not stopping the data session (disconnecting) because StartDataSession blocking"));
  const std::size_t blocked = WaitFor(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, from);
  EXPECT_EQ(sink_.Notifications()[blocked].param1, CVeskSDK::kDeviceStateStartBlocked);
  EXPECT_EQ(second_.CallCount("StopDataSession"), 0u);

  BlockStart(false);
  WaitFor(WWAN_NOTIFICATION_DISCONNECTED, WaitFor(WWAN_NOTIFICATION_CONNECTED, from));
  EXPECT_TRUE(traceLog_.Contains("    Now disconnecting after connect ack"));
  EXPECT_EQ(second_.CallCount("StopDataSession"), 1u);
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).back().param1, 0u);
}

INSTANTIATE_TEST_SUITE_P(HostOrTimer, BlockedStartTest, testing::Bool());

// Both calls find the previous start thread ending and go on together: one starts the next thread and
// the other must not undo its 90 s timer or its deferral of a Disconnect.
TEST_F(SessionTest, ConcurrentConnectsLeaveOneStartWithItsTimerAndDeferral) {
  AttachAndWait();
  second_.Fail("StartDataSession", GENERAL_ERROR, 1);
  std::promise<void> previousEnds;
  OnLine("problem starting the data session",
         [ends = previousEnds.get_future().share()] { ends.wait_for(kWait); });
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(WaitForLines("problem starting the data session"));
  BlockStart(true);
  const std::size_t states = traceLog_.Count("Session state = 1");
  platform::SetTimeScale(4.0);  // the calls' 500 ms wait for the running thread, in real time
  auto first = std::async(std::launch::async, [this] { return Connect(); });
  auto second = std::async(std::launch::async, [this] { return Connect(); });
  ASSERT_TRUE(WaitForLines("Session state = 1", states + 2));
  platform::SetTimeScale(kTimeScale);
  const Clock::time_point connectTime = Clock::now();
  previousEnds.set_value();
  EXPECT_TRUE(first.get());
  EXPECT_TRUE(second.get());
  ASSERT_TRUE(second_.WaitForCalls("StartDataSession", 2));

  auto disconnect = std::async(std::launch::async, [this] { return sdk_->Disconnect(); });
  struct Unblock {  // a Disconnect stuck behind the start returns once the test gives up
    const Simulator& simulator;
    ~Unblock() { simulator.Call<void>("VeskSimRelease", "StartDataSession"); }
  } unblock{second_};
  ASSERT_EQ(disconnect.wait_for(kWait), std::future_status::ready);
  EXPECT_TRUE(disconnect.get());
  EXPECT_TRUE(traceLog_.Contains("not stopping the data session (disconnecting) because StartDataSession blocking"));
  ASSERT_TRUE(WaitForLines("    StartDataSession timed out"));
  EXPECT_GE(LineTimes("StartDataSession timed out")[0] - connectTime, AtLeast(CVeskSDK::kStartDataSessionTimeoutMs));
  EXPECT_FALSE(traceLog_.Contains("Failed to spawn start data session thread"));
}

TEST_F(SessionTest, DetachWhileWaitingForTheAcknowledgementLeavesTheSessionAlone) {
  SetTimeScale(0.1);  // the acknowledgement wait then lasts a real second
  second_.Load("[sim]\npin_status = 3\n[timing]\nconnect_ms = 3600000\n");
  AttachAndWait();
  BlockStart(true);
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(second_.WaitForCalls("StartDataSession", 1));
  ASSERT_TRUE(sdk_->Disconnect());
  BlockStart(false);
  ASSERT_TRUE(
      WaitForLines("disconnect requested, waiting for acknowlegdement of connect before disconnecting"));
  EXPECT_TRUE(sdk_->DetachFromCellularDevice());

  EXPECT_TRUE(traceLog_.Contains("    stopping data session thread, will not disconnect because detaching"));
  EXPECT_EQ(second_.CallCount("StopDataSession"), 0u);
}

struct StateRow {
  const char* event;
  const char* line;
  std::vector<int32_t> codes;  // connected and disconnected, up to the disconnected state that follows
  uint8_t valid;
};

class SessionStateTest : public SessionTest, public testing::WithParamInterface<StateRow> {};

TEST_P(SessionStateTest, OnlyFinalStatesAreReportedToTheHost) {
  const StateRow& row = GetParam();
  second_.Load(
      "[sim]\npin_status = 3\n[session]\napn = web.test\nuser = bob\npdp_type = 1\nauth = 2\nip = 10.1.2.3\n"
      "dns1 = 192.168.0.254\ndns2 = 255.0.0.1\n");
  AttachAndWait();
  const std::size_t from = sink_.Count();
  second_.Event(row.event);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::SessionStateCallback"));
  EXPECT_TRUE(traceLog_.Contains(row.line, kTraceLevelInfo)) << row.line;
  EXPECT_EQ(sdk_->WithInfo([](CachedCellularInfo& info) { return info.activeConnection.valid; }), row.valid);
  second_.Event("session = 1");  // whatever the first state posted has been delivered before this
  ASSERT_TRUE(sink_.WaitForSequence(row.codes, kWait, from).has_value());

  std::vector<int32_t> codes = sink_.Codes();
  codes.erase(codes.begin(), codes.begin() + static_cast<std::ptrdiff_t>(from));
  std::erase_if(codes, [](int32_t code) {
    return code != WWAN_NOTIFICATION_CONNECTED && code != WWAN_NOTIFICATION_DISCONNECTED;
  });
  EXPECT_EQ(codes, row.codes) << row.event;
  // Each state reads the default profile back, addresses written most significant byte first.
  EXPECT_TRUE(traceLog_.Contains(
      "\nPDP TYPE             : 1\nIPAddress            : 10.1.2.3\nDNS1                 : 192.168.0.254\n"
      "DNS2                 : 255.0.0.1\nAuth                 : 0x00000002\nProfile              : Default\n"
      "APN                  : web.test\nUsername             : bob\n"));
  CachedDefaultProfile profile{};
  sdk_->GetCachedDefaultProfile(&profile);
  EXPECT_EQ(CachedTextView(profile.apn), u"web.test");
}

constexpr int32_t kConnected = WWAN_NOTIFICATION_CONNECTED;
constexpr int32_t kDisconnected = WWAN_NOTIFICATION_DISCONNECTED;
INSTANTIATE_TEST_SUITE_P(
    States, SessionStateTest,
    testing::Values(
        StateRow{"session = 2", "    session is connected (IP=0x00000000)", {kConnected, kDisconnected}, 1},
        StateRow{"session = 3", "    SUSPENDED (Unsupported) session state", {kDisconnected}, 0},
        StateRow{"session = 4", "    AUTHENTICATING", {kDisconnected}, 0}));

struct ModeRow {
  const char* label;
  const char* scenario;
  bool attach;
  ULONG fault;
  int32_t mode;
  const char* line;
};

class AutoConnectModeTest : public EndToEndTest, public testing::WithParamInterface<ModeRow> {};

TEST_P(AutoConnectModeTest, ReadsTheModemSettingAsAHostMode) {
  const ModeRow& row = GetParam();
  second_.Load(std::string("[sim]\npin_status = 3\n") + row.scenario);
  if (row.attach) {
    AttachAndWait();
  }
  if (row.fault != 0) {
    second_.Fail("GetAutoconnect", row.fault, 1);
  }
  EXPECT_EQ(sdk_->GetAutoConnectMode(), row.mode);
  EXPECT_TRUE(traceLog_.Contains(row.line)) << row.line;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, AutoConnectModeTest, testing::Values(
    ModeRow{"Enabled", "[session]\nautoconnect = 1\n", true, 0, NORMAL_AUTOCONNECT_Enabled,
            "    the current autoconnect setting is 'VeskSDKFacade::AUTOCONNECT_Enabled'"},
    ModeRow{"OtherSetting", "[session]\nautoconnect = 5\n", true, 0, NORMAL_AUTOCONNECT_Unknown,
            "    the current autoconnect setting is 'unknown mapping"},
    ModeRow{"RetriedAfterRetryLater", "", true, QMI_ERR_RETRY_LATER, NORMAL_AUTOCONNECT_Disabled,
            "    Retry get autoconnect, previous result 1014"},
    ModeRow{"NoModem", "", false, 0, NORMAL_AUTOCONNECT_Unknown, "    could not get the autoconnect mode (rc = 8)"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
}  // namespace e2e
