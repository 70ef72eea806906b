// Data sessions: starting one on the start thread with its retries, a disconnect while the start is
// blocked in the library, the 90 s time-out, detach, the session states the library reports with the
// default profile read back on each, and the autoconnect setting as the host reads it.
#include <future>
#include <string>
#include <utility>
#include <vector>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace e2e {
namespace {

constexpr int32_t kConnected = WWAN_NOTIFICATION_CONNECTED;
constexpr int32_t kDisconnected = WWAN_NOTIFICATION_DISCONNECTED;
constexpr char kDeferred[] =
    "not stopping the data session (disconnecting) because StartDataSession blocking";

class SessionTest : public EndToEndTest {
 protected:
  bool Connect() { return sdk_->Connect("internet.test", "alice", kPassword); }
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
  const std::size_t first = WaitFor(kConnected);
  ASSERT_TRUE(Connect());
  WaitFor(kConnected, first + 1);
  EXPECT_EQ(second_.CallCount("StartDataSession"), 1u);
  EXPECT_EQ(Notifications(kConnected).back().param2, static_cast<uintptr_t>(sdk_->GetConnectionCapability()));
}

// A Disconnect with no session up stops nothing and reports the session down again, without
// parameters. Null texts are empty ones; a stop the modem refuses fails the Disconnect and leaves the
// session up.
TEST_F(SessionTest, ADisconnectTheModemRefusesFailsAndTheNextOneEndsTheSession) {
  AttachAndWait();
  WaitFor(kDisconnected);  // the attach's own report
  std::size_t from = sink_.Count();
  EXPECT_TRUE(sdk_->Disconnect());
  const auto again = Next(kDisconnected, from);
  EXPECT_EQ(std::make_pair(again.param1, again.param2), std::make_pair(uintptr_t{0}, uintptr_t{0}));
  EXPECT_EQ(second_.CallCount("StopDataSession"), 0u);

  from = sink_.Count();
  ASSERT_TRUE(sdk_->Connect(nullptr, nullptr, nullptr));
  WaitFor(kConnected, from);
  second_.Fail("StopDataSession", GENERAL_ERROR, 1);
  EXPECT_FALSE(sdk_->Disconnect());
  EXPECT_TRUE(traceLog_.Contains("    problem stopping the data session (1)", kTraceLevelError));
  EXPECT_TRUE(sdk_->Disconnect());
  WaitFor(kDisconnected, from);
  EXPECT_EQ(second_.CallCount("StopDataSession"), 2u);
}

struct StartRow {
  const char* label;
  bool attach;
  ULONG fault;
  uint32_t faultTimes;
  std::size_t attempts;
  int32_t outcome;
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

  const auto calls = LineTimes("StartDataSessionThread: made call to activate data session");
  EXPECT_EQ(calls.size(), row.attempts);
  ExpectApart(calls, CVeskSDK::kSessionRetryPauseMs);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SessionStartTest, testing::Values(
    StartRow{"RetryLaterThenSuccess", true, QMI_ERR_RETRY_LATER, 1, 2, kConnected},
    StartRow{"RetryLaterTwice", true, RETRY_LATER, 2, 2, kDisconnected},
    StartRow{"NoModem", false, 0, 0, 1, kDisconnected}), kLabel);
// clang-format on

// The disconnect goes ahead once the modem acknowledges the start; a detach while waiting for that
// acknowledgement (which never comes) leaves the session alone.
class BlockedStartTest : public SessionTest, public testing::WithParamInterface<bool> {};

TEST_P(BlockedStartTest, DisconnectIsDeferredUntilTheModemAcknowledgesTheStart) {
  const bool detach = GetParam();
  SetTimeScale(0.1);  // the acknowledgement wait then lasts a real second
  AttachAndWait(detach ? "[timing]\nconnect_ms = 3600000\n" : "");
  second_.Delay("StartDataSession", UINT32_MAX);
  const std::size_t from = sink_.Count();
  ASSERT_TRUE(Connect());
  ASSERT_TRUE(second_.WaitForCalls("StartDataSession", 1));
  EXPECT_TRUE(sdk_->Disconnect());
  ASSERT_TRUE(WaitForLines(kDeferred));
  EXPECT_EQ(Next(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, from).param1, CVeskSDK::kDeviceStateStartBlocked);
  EXPECT_EQ(second_.CallCount("StopDataSession"), 0u);

  second_.Release("StartDataSession");
  if (detach) {
    ASSERT_TRUE(
        WaitForLines("disconnect requested, waiting for acknowlegdement of connect before disconnecting"));
    EXPECT_TRUE(sdk_->DetachFromCellularDevice());
    EXPECT_EQ(second_.CallCount("StopDataSession"), 0u);
    return;
  }
  WaitFor(kDisconnected, WaitFor(kConnected, from));
  EXPECT_EQ(second_.CallCount("StopDataSession"), 1u);
  EXPECT_EQ(Params(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).back(), 0u);
}

INSTANTIATE_TEST_SUITE_P(AckOrDetach, BlockedStartTest, testing::Bool());

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
  second_.Delay("StartDataSession", UINT32_MAX);
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
    ~Unblock() { simulator.Release("StartDataSession"); }
  } unblock{second_};
  ASSERT_EQ(disconnect.wait_for(kWait), std::future_status::ready);
  EXPECT_TRUE(disconnect.get());
  EXPECT_TRUE(traceLog_.Contains(kDeferred));
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::HandleStartDataSessionTimeout"));
  EXPECT_GE(LineTimes("StartDataSession timed out")[0] - connectTime,
            AtLeast(CVeskSDK::kStartDataSessionTimeoutMs));
  EXPECT_EQ(traceLog_.Count("==> CVeskSDK::Disconnect"), 2u) << "the test's, then the time-out's own";
  EXPECT_FALSE(traceLog_.Contains("Failed to spawn start data session thread"));
}

struct StateRow {
  const char* event;
  std::vector<int32_t> codes;  // connected and disconnected, up to the disconnected state that follows
  uint8_t valid;
};

class SessionStateTest : public SessionTest, public testing::WithParamInterface<StateRow> {};

TEST_P(SessionStateTest, OnlyFinalStatesAreReportedToTheHost) {
  const StateRow& row = GetParam();
  AttachAndWait(
      "[session]\napn = web.test\nuser = bob\npdp_type = 1\nauth = 2\nip = 10.1.2.3\ndns1 = 192.168.0.254\n"
      "dns2 = 255.0.0.1\n");
  const auto valid = [this] { return sdk_->WithInfo([](CachedCellularInfo& c) { return c.activeConnection.valid; }); };
  const std::size_t from = sink_.Count();
  second_.Event(row.event);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::SessionStateCallback"));
  EXPECT_EQ(valid(), row.valid);
  second_.Event("session = 1");  // whatever the first state posted has been delivered before this
  ASSERT_TRUE(sink_.WaitForSequence(row.codes, kWait, from).has_value());
  EXPECT_EQ(CodesFrom(from, {kConnected, kDisconnected}), row.codes);
  EXPECT_EQ(valid(), 0) << "after the disconnected state";
  // Each state reads the default profile back, addresses written most significant byte first.
  EXPECT_TRUE(traceLog_.Contains(
      "\nPDP TYPE             : 1\nIPAddress            : 10.1.2.3\nDNS1                 : 192.168.0.254\n"
      "DNS2                 : 255.0.0.1\nAuth                 : 0x00000002\nProfile              : Default\n"
      "APN                  : web.test\nUsername             : bob\n"));
}

INSTANTIATE_TEST_SUITE_P(States, SessionStateTest,
                         testing::Values(StateRow{"session = 2", {kConnected, kDisconnected}, 1},
                                         StateRow{"session = 3", {kDisconnected}, 0},
                                         StateRow{"session = 4", {kDisconnected}, 0}));

// The modem's autoconnect setting as the host reads it: a value other than 0 or 1, and a retry.
TEST_F(EndToEndTest, AutoconnectSettingIsReadAsAHostMode) {
  AttachAndWait("[session]\nautoconnect = 5\n");
  EXPECT_EQ(sdk_->GetAutoConnectMode(), NORMAL_AUTOCONNECT_Unknown);
  second_.Fail("GetAutoconnect", QMI_ERR_RETRY_LATER, 1);
  EXPECT_EQ(sdk_->GetAutoConnectMode(), NORMAL_AUTOCONNECT_Unknown);
  EXPECT_TRUE(traceLog_.Contains("    Retry get autoconnect, previous result 1014"));
}

}  // namespace
}  // namespace e2e
