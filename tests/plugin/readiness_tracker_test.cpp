// The readiness notifications the plug-in derives, seen by the host in delivery order (the usual
// attach order is the end-to-end device information test's).
#include <cstdint>
#include <utility>
#include <vector>

#include "plugin_test_host.h"

namespace plugin_test {
namespace {

constexpr int32_t kSim = WWAN_NOTIFICATION_SIM_STATUS;
constexpr int32_t kAttached = WWAN_NOTIFICATION_ATTACHED_TO_DEVICE;
constexpr int32_t kDetached = WWAN_NOTIFICATION_DETACHED_FROM_DEVICE;
constexpr int32_t kInfo = WWAN_NOTIFICATION_DEVICE_INFO_READY;
constexpr int32_t kService = WWAN_NOTIFICATION_SERVICE;
constexpr int32_t kPassword = WWAN_NOTIFICATION_SPECIAL_PASSWORD;
constexpr int32_t kState = WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE;
constexpr int32_t kRssi = WWAN_NOTIFICATION_RSSI;
constexpr int32_t kInit = WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE;
constexpr int32_t kReady = WWAN_NOTIFICATION_READY_TO_CONNECT;

struct Row {
  const char* name;
  std::vector<std::pair<int32_t, uintptr_t>> posted;
  std::vector<int32_t> delivered;  // between the initializing and the closing notifications
  friend void PrintTo(const Row& c, std::ostream* os) { *os << c.name; }
};

class ReadinessTest : public PluginHostTest<>, public testing::WithParamInterface<Row> {};

TEST_P(ReadinessTest, DerivedNotificationsFollowTheirCause) {
  ASSERT_TRUE(sdk_->Open());
  for (const auto& [code, param1] : GetParam().posted) {
    sdk_->PostNotification(code, param1, 0);
  }
  ASSERT_TRUE(sdk_->Close());

  EXPECT_EQ(sink_.Codes(), OpenClose(GetParam().delivered));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Sequences, ReadinessTest, testing::Values(
    Row{"ServiceLostBeforeInfo", {{kService, 2}, {kService, 1}, {kInfo, 0}}, {kService, kService, kInfo, kInit}},
    Row{"ServiceLostAfterReadyChangesNothing", {{kInfo, 0}, {kService, 9}, {kService, 0}, {kService, 2}},
       {kInfo, kInit, kService, kReady, kService, kService}},
    Row{"ReadyOncePerAttach", {{kInfo, 0}, {kService, 2}, {kDetached, 0}, {kInfo, 0}, {kService, 2}},
       {kInfo, kInit, kService, kReady, kDetached, kInfo, kService}},
    Row{"AttachStartsOver", {{kInfo, 0}, {kService, 2}, {kAttached, 0}, {kService, 2}, {kInfo, 0}},
       {kInfo, kInit, kService, kReady, kAttached, kService, kInfo, kInit, kReady}},
    Row{"SimMissingRaisesInitOnce", {{kSim, 3}, {kSim, 3}}, {kSim, kInit, kSim}},
    Row{"SpecialPasswordRaisesInit", {{kPassword, 0}}, {kPassword, kInit}},
    Row{"DeviceState8SuppressesReady", {{kState, 8}, {kInfo, 0}, {kService, 2}}, {kState, kInit, kInfo, kService}},
    Row{"CodesOutsideTheTrackedRangeChangeNothing",
       {{kRssi, 2}, {kInit, 0}, {WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE, 2}},
       {kRssi, kInit, WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE}}),
    [](const testing::TestParamInfo<Row>& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace plugin_test
