// SIM status and PIN of a simulated UMTS modem: what the host is told for each PIN state, the query's
// retries, and the unlock that lets the attach go on to the device information.
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace e2e {
namespace {

class SimTest : public EndToEndTest {
 protected:
  uint32_t SimStatusBits() {
    return sdk_->WithInfo([](CachedCellularInfo& info) { return info.simStatusBits; });
  }
};

struct PinRow {
  const char* label;
  const char* scenario;
  ULONG faultResult;  // UIMGetPINStatus answers it faultTimes times
  uint32_t faultTimes;
  uint32_t bitmap;
  int32_t hostStatus;
  uint32_t queries;
};

class PinStatusTest : public SimTest, public testing::WithParamInterface<PinRow> {};

TEST_P(PinStatusTest, IsReportedAndOnlyAReadySimGathersTheDeviceInformation) {
  const PinRow& row = GetParam();
  second_.Load(row.scenario);
  second_.Fail("UIMGetPINStatus", row.faultResult, row.faultTimes);
  AttachUntilEvaluated();

  EXPECT_EQ(SimStatusBits(), row.bitmap);
  EXPECT_EQ(Params(WWAN_NOTIFICATION_SIM_STATUS),
            std::vector<uintptr_t>{static_cast<uintptr_t>(row.hostStatus)});
  EXPECT_EQ(second_.CallCount("UIMGetPINStatus"), row.queries);
  EXPECT_EQ(traceLog_.Count("Retry UIMGetPINStatus, previous result", kTraceLevelError), row.queries - 1);
  const bool ready = (row.bitmap & NORMAL_SIM_STATUS_READY) != 0;
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).size(), ready ? 1u : 0u);
  // Complete once: at the SIM report, or for a ready SIM behind the device information.
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE).size(), 1u);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, PinStatusTest, testing::Values(
    PinRow{"Disabled", "", 0, 0, 0x1, HOST_SIM_STATUS_READY, 1},
    PinRow{"Locked", "[sim]\npin_status = 1\n", 0, 0, 0x6, HOST_SIM_STATUS_LOCKED, 1},
    PinRow{"NoSim", "[sim]\npresent = no\n", 0, 0, 0x4000, HOST_SIM_STATUS_UNKNOWN, 1},
    PinRow{"RetriedOnceAfterRetryLater", "", QMI_ERR_RETRY_LATER, 1, 0x1, HOST_SIM_STATUS_READY, 2},
    PinRow{"RetryLaterTwiceIsUnknown", "", RETRY_LATER, 2, 0x4000, HOST_SIM_STATUS_UNKNOWN, 2},
    PinRow{"OtherFailureIsNotRetried", "", GENERAL_ERROR, 1, 0x4000, HOST_SIM_STATUS_UNKNOWN, 1}), kLabel);
// clang-format on

TEST_F(SimTest, LockedSimIsUnlockedWithItsPinAndTheAttachGoesOn) {
  // Without a modem the unlock fails and the SIM is reported unknown.
  EXPECT_FALSE(sdk_->UnlockSim(kPin));
  EXPECT_FALSE(sdk_->UnlockSim(nullptr));
  EXPECT_FALSE(sdk_->UnlockDevice("0000"));
  EXPECT_EQ(Next(WWAN_NOTIFICATION_SIM_STATUS).param1, static_cast<uintptr_t>(HOST_SIM_STATUS_UNKNOWN));

  AttachUntilEvaluated(std::string("[sim]\npin_status = 1\npin = ") + kPin + "\n");
  std::size_t from = sink_.Count();
  EXPECT_FALSE(sdk_->UnlockSim(kWrongPin));
  EXPECT_EQ(Next(WWAN_NOTIFICATION_SIM_STATUS, from).param1, static_cast<uintptr_t>(HOST_SIM_STATUS_LOCKED));
  EXPECT_TRUE(traceLog_.Contains(
      "    failed verify SIM PIN (rc = '1012') [retries left = 2; unblock retries left = 10]",
      kTraceLevelError));
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_DEVICE_INFO_READY).empty());

  from = sink_.Count();
  EXPECT_TRUE(sdk_->UnlockSim(kPin));
  // The information pass then runs as after the attach of a ready SIM.
  EXPECT_EQ(Next(WWAN_NOTIFICATION_SIM_STATUS, from).param1, static_cast<uintptr_t>(HOST_SIM_STATUS_READY));
  EXPECT_EQ(Next(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED, from).text, u"+15555550100");
  WaitFor(WWAN_NOTIFICATION_READY_TO_CONNECT, from);
  EXPECT_EQ(SimStatusBits(), 0x3u);
}

}  // namespace
}  // namespace e2e
