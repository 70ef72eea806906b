#include <algorithm>
#include <thread>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

using AttachRaceTest = EndToEndTest;

// A second request that holds the device-operation lock while the first request's expiry fires finds
// that expiry waiting behind it; once the first attach is done, the second expiry must not attach again.
TEST_F(AttachRaceTest, ExpiryOfAnEarlierRequestDoesNotAttachTwice) {
  OnLine("Delay Vesk attach because device was turned on",
         [] { std::this_thread::sleep_for(platform::ScaledDuration(2000)); });
  ASSERT_TRUE(sdk_->AttachToCellularDevice());
  if (!sdk_->AttachToCellularDevice(true)) {
    GTEST_SKIP() << "the first expiry took the lock before the second request";
  }
  ASSERT_TRUE(WaitForLines("Attach timer expired after the attach was done, nothing to do"));
  Settle();
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE).size(), 1u);
}

// A host that connects while the attach has reached the modem but not yet announced it, with a session
// already up: the host hears of the session after the attach, never before it.
TEST_F(AttachRaceTest, SessionFoundDuringTheAttachIsReportedAfterIt) {
  second_.Load("[sim]\npin_status = 3\n[session]\nstate = 2\n");
  OnLine("SDK connected device to the SDK", [this] { EXPECT_TRUE(sdk_->Connect("internet", "", "")); });
  AttachAndWait();
  const auto codes = sink_.Codes();
  const auto attached = std::find(codes.begin(), codes.end(), WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);
  const auto connected = std::find(codes.begin(), codes.end(), WWAN_NOTIFICATION_CONNECTED);
  ASSERT_NE(connected, codes.end());
  EXPECT_LT(attached, connected);
}

}  // namespace
}  // namespace e2e
