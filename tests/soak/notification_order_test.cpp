#include "soak/notification_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "vesk/notifications.h"

namespace {

struct OrderCase {
  const char* name;
  std::vector<int32_t> codes;
  std::string broken;  // the rule the last code breaks; empty when the whole sequence is legal
};

class NotificationOrderTest : public testing::TestWithParam<OrderCase> {};

TEST_P(NotificationOrderTest, JudgesTheSequence) {
  soak::NotificationOrder order;
  const OrderCase& sequence = GetParam();
  for (std::size_t i = 0; i + 1 < sequence.codes.size(); ++i) {
    ASSERT_EQ(order.Deliver(sequence.codes[i]), "") << "at " << i;
  }
  EXPECT_EQ(order.Deliver(sequence.codes.back()), sequence.broken);
}

constexpr int32_t kInit = WWAN_NOTIFICATION_SDK_INITIALIZING;
constexpr int32_t kClosed = WWAN_NOTIFICATION_SDK_CLOSED;
constexpr int32_t kAttached = WWAN_NOTIFICATION_ATTACHED_TO_DEVICE;
constexpr int32_t kDetached = WWAN_NOTIFICATION_DETACHED_FROM_DEVICE;
constexpr int32_t kInfo = WWAN_NOTIFICATION_DEVICE_INFO_READY;
constexpr int32_t kInitComplete = WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE;
constexpr int32_t kReady = WWAN_NOTIFICATION_READY_TO_CONNECT;
constexpr int32_t kConnected = WWAN_NOTIFICATION_CONNECTED;
constexpr int32_t kRssi = WWAN_NOTIFICATION_RSSI;

INSTANTIATE_TEST_SUITE_P(
    Sequences, NotificationOrderTest,
    testing::Values(
        OrderCase{"FullSessionTwice",
                  {kInit, kAttached, kInfo, kInitComplete, kReady, kConnected, kDetached, kDetached, kClosed, kInit,
                   kDetached, kDetached, kClosed},
                  ""},
        OrderCase{"ReattachResetsReadiness", {kInit, kAttached, kInitComplete, kReady, kDetached, kAttached, kInitComplete, kReady}, ""},
        OrderCase{"AnythingAfterClosed", {kInit, kDetached, kClosed, kRssi}, "WWAN_NOTIFICATION_RSSI after WWAN_NOTIFICATION_SDK_CLOSED"},
        OrderCase{"AnythingBeforeOpen", {kRssi}, "WWAN_NOTIFICATION_RSSI before the open"},
        OrderCase{"InitializingTwice", {kInit, kInit}, "WWAN_NOTIFICATION_SDK_INITIALIZING while open"},
        OrderCase{"ClosedWhileAttached", {kInit, kAttached, kClosed}, "WWAN_NOTIFICATION_SDK_CLOSED while attached"},
        OrderCase{"ConnectedAfterDetach", {kInit, kAttached, kDetached, kConnected}, "WWAN_NOTIFICATION_CONNECTED while detached"},
        OrderCase{"InfoBeforeAttach", {kInit, kInfo}, "WWAN_NOTIFICATION_DEVICE_INFO_READY while detached"},
        OrderCase{"AttachedTwice", {kInit, kAttached, kAttached}, "WWAN_NOTIFICATION_ATTACHED_TO_DEVICE twice without a detach"},
        OrderCase{"ReadyTwiceInOneAttach", {kInit, kAttached, kReady, kReady}, "WWAN_NOTIFICATION_READY_TO_CONNECT twice in one attach"},
        OrderCase{"InitCompleteTwiceAcrossDetach", {kInit, kAttached, kInitComplete, kDetached, kInitComplete},
                  "WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE twice in one attach"}),
    [](const testing::TestParamInfo<OrderCase>& info) { return info.param.name; });

}  // namespace
