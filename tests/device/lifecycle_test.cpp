// Open, Close and Release of the device manager with no modem attached, calls that need one, and
// vendor callbacks that arrive when there is no manager to reach.
#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>

#include "device_test_host.h"
#include "failing_allocation.h"
#include "vesk/notifications.h"

namespace device_test {
namespace {

TEST_F(DeviceManagerTest, EachOpenClosePairDeliversItsFourNotificationsInOrder) {
  const std::vector<int32_t> pair = {WWAN_NOTIFICATION_SDK_INITIALIZING,
                                     WWAN_NOTIFICATION_DETACHED_FROM_DEVICE,
                                     WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, WWAN_NOTIFICATION_SDK_CLOSED};
  for (int round = 1; round <= 2; ++round) {
    ASSERT_TRUE(sdk_->Open());
    EXPECT_TRUE(sdk_->IsOpen());
    ASSERT_TRUE(sdk_->Close());
    EXPECT_FALSE(sdk_->IsOpen());
    // Close returns once its notifications have been delivered.
    std::vector<int32_t> expected;
    for (int i = 0; i < round; ++i) {
      expected.insert(expected.end(), pair.begin(), pair.end());
    }
    EXPECT_EQ(sink_.Codes(), expected) << "round " << round;
  }
  EXPECT_EQ(traceLog_.Count("    disconnect result = NO_CONNECTION_TO_WWAN_DEVICE", kTraceLevelInfo), 2u);
}

// Run under the sanitizers: a start thread still running at Release stops its timer afterwards, so the
// timers must outlive the threads.
TEST_F(DeviceManagerTest, ReleaseEndsAStartThreadBeforeFreeingTheTimerItStops) {
  platform::SetTimeScale(0.2);  // the destructor then waits a real second for the thread
  std::promise<void> destroying;
  traceLog_.SetLineObserver([&, destroyed = destroying.get_future().share()](const hostkit::TraceLine& line) {
    if (line.text.find("==> CVeskSDK::~CVeskSDK") != std::string::npos) {
      destroying.set_value();
    } else if (line.text.find("Starting data session thread") != std::string::npos) {
      destroyed.wait_for(kWait);
      std::this_thread::sleep_for(std::chrono::milliseconds(100));  // into the destructor's wait for us
    }
  });
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sdk_->Close());
  ASSERT_TRUE(sdk_->Connect("apn", "user", "password"));
  Release();
  traceLog_.SetLineObserver(nullptr);
  EXPECT_TRUE(traceLog_.Contains("    Could not stop StartDataSession timer", kTraceLevelError));
}

// A session report still in flight when the library refused a disconnect arrives after the detach:
// the host must not hear of a connection on a modem it was told is gone.
TEST_F(DeviceManagerTest, SessionReportWhileDetachedPostsNoConnected) {
  ASSERT_TRUE(sdk_->Open());
  CVeskSDK::SessionStateCallback(2, 0);  // connected
  ASSERT_TRUE(sdk_->Close());
  const auto codes = sink_.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), WWAN_NOTIFICATION_CONNECTED), 0);
  EXPECT_TRUE(traceLog_.Contains("    session is connected (IP=0x00000000)", kTraceLevelInfo));
}

struct CallbackRow {
  const char* label;
  std::function<void()> call;
};

class OrphanCallbackTest : public DeviceManagerTest, public testing::WithParamInterface<CallbackRow> {};

// The library may still call back after the manager is gone (a disconnect that failed, a library that
// ignores it): the callback must neither crash nor touch freed memory.
TEST_P(OrphanCallbackTest, CallbackAfterReleaseReachesNothing) {
  ASSERT_TRUE(sdk_->Open());
  Release();
  const std::size_t lines = traceLog_.lines().size();
  GetParam().call();
  EXPECT_EQ(traceLog_.lines().size(), lines);
}

INSTANTIATE_TEST_SUITE_P(
    Callbacks, OrphanCallbackTest,
    testing::Values(CallbackRow{"Removal", [] { CVeskSDK::DeviceRemovalCallback(); }},
                    CallbackRow{"Power", [] { CVeskSDK::PowerCallback(3); }},
                    CallbackRow{"Nmea", [] { CVeskSDK::NMEACallback("$GPGGA,,,,,,0,,,,,,,,*66"); }},
                    CallbackRow{"Signal", [] { CVeskSDK::SignalStrengthCallback(-80, 5); }},
                    CallbackRow{"Session", [] { CVeskSDK::SessionStateCallback(2, 0); }},
                    CallbackRow{"PdsState", [] { CVeskSDK::PDSStateCallback(1, 1); }}),
    [](const auto& info) { return std::string(info.param.label); });

struct NmeaRow {
  const char* label;
  bool open;
  bool closeAfterwards;
  bool handled;
};

class NmeaQueueTest : public DeviceManagerTest, public testing::WithParamInterface<NmeaRow> {};

TEST_P(NmeaQueueTest, SentenceIsHandledOnTheWorkerOnlyWhileOpen) {
  const NmeaRow& row = GetParam();
  if (row.open) {
    ASSERT_TRUE(sdk_->Open());
  }
  if (row.closeAfterwards) {
    ASSERT_TRUE(sdk_->Close());
  }
  CVeskSDK::NMEACallback(nullptr);
  CVeskSDK::NMEACallback("$GPRMC,,V,,,,,,,,,,N*53");
  if (row.handled) {
    // Close drains the worker queue, so both sentences have been handled when it returns.
    ASSERT_TRUE(sdk_->Close());
  } else {
    Release();
  }
  EXPECT_EQ(traceLog_.Count("==> CVeskSDK::NMEACallback"), 2u);
  EXPECT_EQ(traceLog_.Count("==> CVeskSDK::HandleNMEA"), row.handled ? 2u : 0u);
}

INSTANTIATE_TEST_SUITE_P(Rows, NmeaQueueTest,
                         testing::Values(NmeaRow{"Open", true, false, true},
                                         NmeaRow{"NeverOpened", false, false, false},
                                         NmeaRow{"Closed", true, true, false}),
                         [](const auto& info) { return std::string(info.param.label); });

class CallbackAllocationTest : public DeviceManagerTest, public testing::WithParamInterface<CallbackRow> {};

// A callback runs on the library's thread, inside a C call: whichever of its allocations fails, no
// exception may leave it (the process would end), nothing leaks, and the next call works again.
TEST_P(CallbackAllocationTest, AFailedAllocationAnywhereDropsOnlyThatEvent) {
  ASSERT_TRUE(sdk_->Open());
  failing_allocation::FailNth(0);
  GetParam().call();
  const int allocations = failing_allocation::Disarm();
  ASSERT_GT(allocations, 0);
  for (int failing = 1; failing <= allocations; ++failing) {
    failing_allocation::FailNth(failing);
    try {
      GetParam().call();
    } catch (...) {
      ADD_FAILURE() << "allocation " << failing << " of " << allocations << " threw out of the callback";
    }
    failing_allocation::Disarm();
  }
  const std::size_t handled = traceLog_.Count("==> CVeskSDK::HandleNMEA");
  GetParam().call();
  ASSERT_TRUE(sdk_->Close());  // drains the worker
  if (std::string(GetParam().label) == "Nmea") {
    // The sentence of a call whose item could not be made or queued is gone; the last one is not.
    EXPECT_LE(traceLog_.Count("==> CVeskSDK::HandleNMEA"), static_cast<std::size_t>(allocations) + 2u);
    EXPECT_GT(traceLog_.Count("==> CVeskSDK::HandleNMEA"), handled);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Callbacks, CallbackAllocationTest,
    testing::Values(CallbackRow{"Nmea", [] { CVeskSDK::NMEACallback("$GPRMC,,V,,,,,,,,,,N*53 and more text"); }},
                    CallbackRow{"Power", [] { CVeskSDK::PowerCallback(3); }},
                    CallbackRow{"Signal", [] { CVeskSDK::SignalStrengthCallback(-80, 5); }},
                    CallbackRow{"Session", [] { CVeskSDK::SessionStateCallback(1, 0); }},
                    CallbackRow{"Roaming", [] { CVeskSDK::RoamingIndicatorCallback(1); }},
                    CallbackRow{"ByteTotals", [] { CVeskSDK::ByteTotalsCallback(1000, 2000); }},
                    CallbackRow{"PdsState", [] { CVeskSDK::PDSStateCallback(1, 1); }}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(DeviceManagerTest, CallsThatNeedAModemDoNothingWithoutOne) {
  ASSERT_TRUE(sdk_->Open());
  auto info = std::make_unique<CellularCardInfo>();
  std::memset(info.get(), 0xCD, sizeof *info);
  EXPECT_FALSE(sdk_->GetCellularCardInfo(info.get()));
  const auto* bytes = reinterpret_cast<const unsigned char*>(info.get());
  EXPECT_EQ(std::count(bytes, bytes + sizeof *info, 0), static_cast<std::ptrdiff_t>(sizeof *info));
  EXPECT_FALSE(sdk_->GetCellularCardInfo(nullptr));

  CVeskSDK::DeviceRemovalCallback();
  EXPECT_TRUE(traceLog_.Contains("    CVeskSDK::DeviceRemovalCallback()", kTraceLevelInfo));
  EXPECT_FALSE(traceLog_.Contains("==> CVeskSDK::DetachFromCellularDevice"));
  EXPECT_FALSE(sdk_->AttachToCellularDevice(DeviceInfoTree{}));
  EXPECT_FALSE(sdk_->GetVeskSDK()->AttachToCellularDevice(DeviceInfoTree{}, true));
  ASSERT_TRUE(sdk_->Close());
  EXPECT_FALSE(traceLog_.Contains("==> CVeskSDK::InitializeVesk"));
}

}  // namespace
}  // namespace device_test
