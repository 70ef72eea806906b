// Vendor callbacks that arrive while the manager closes or is released, or after it is gone.
#include <atomic>
#include <future>
#include <iterator>
#include <string>
#include <thread>

#include "e2e_host.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

struct TeardownRow {
  const char* label;
  bool closeFirst;
  bool disconnectFails;  // the library then keeps calling back after Close and Release
};

class CallbacksDuringTeardownTest : public EndToEndTest, public testing::WithParamInterface<TeardownRow> {};

TEST_P(CallbacksDuringTeardownTest, CloseAndReleaseRunSafelyUnderAStormOfCallbacks) {
  const TeardownRow& row = GetParam();
  AttachAndWait();
  if (row.disconnectFails) {
    second_.Fail("QCWWANDisconnect", GENERAL_ERROR, UINT32_MAX);
  }
  // Each event is a vendor callback on the simulator's thread.
  std::atomic<bool> stop{false};
  std::atomic<std::size_t> fired{0};
  std::thread storm([&] {
    static const char* const kEvents[] = {"signal = -95 5", "roaming = 2", "power = 1", "data_caps = 2",
                                          "signal = -70 5", "roaming = 1", "power = 0", "bytes = 10 20"};
    for (std::size_t i = 0; !stop; fired = ++i) {
      second_.Event(kEvents[i % std::size(kEvents)]);
    }
  });
  const auto fireMore = [&fired](std::size_t count) {
    const std::size_t target = fired + count;
    for (const auto end = Clock::now() + kWait; fired < target && Clock::now() < end;) {
      std::this_thread::yield();
    }
  };
  ASSERT_TRUE(WaitForLines("==> CVeskSDK::RoamingIndicatorCallback"));
  // The drain behind the storm gets its real time: a slower machine (or Wine) queues more meanwhile.
  SetTimeScale(1.0);
  if (row.closeFirst) {
    EXPECT_EQ(sdk_->Close(), !row.disconnectFails);
    fireMore(50);
  }
  Release();
  fireMore(50);
  stop = true;
  storm.join();

  EXPECT_EQ(g_pVeskSDK.load(), nullptr);
  // Release closes again only what a failed Close left open.
  EXPECT_EQ(traceLog_.Count("==> CVeskSDK::Close"), row.closeFirst && row.disconnectFails ? 2u : 1u);
  // While a failed disconnect leaves the library calling back, its notifications may still be queued
  // during Close's drain, behind the closed notification; the plug-in closes once all the same.
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_SDK_CLOSED).size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, CallbacksDuringTeardownTest,
                         testing::Values(TeardownRow{"CloseThenRelease", true, false},
                                         TeardownRow{"ReleaseWithoutClose", false, false},
                                         TeardownRow{"DisconnectFailsThenRelease", true, true},
                                         TeardownRow{"DisconnectFailsReleaseWithoutClose", false, true}),
                         kLabel);

// The library's disconnect waits for the running callback; a removal callback that waited for the
// lock that Close holds across that disconnect would never return.
TEST_F(EndToEndTest, RemovalCallbackDuringCloseDoesNotHoldCloseUp) {
  AttachAndWait();
  second_.Delay("QCWWANDisconnect", 2000);  // time for the callback to queue up
  OnLine("    disconnecting from the device", [this] { second_.Event("device = removed"); });

  auto closed = std::async(std::launch::async, [this] { return sdk_->Close(); });
  ASSERT_EQ(closed.wait_for(kWait), std::future_status::ready);
  EXPECT_TRUE(closed.get());
  EXPECT_TRUE(traceLog_.Contains("    CVeskSDK::DeviceRemovalCallback()"));
  // Close's own detach was the only one, and no attach was restarted.
  EXPECT_FALSE(traceLog_.Contains("due to device power mode"));
  EXPECT_EQ(LineTimes("==> CVeskSDK::InitializeVesk").size(), 1u);
}

}  // namespace
}  // namespace e2e
