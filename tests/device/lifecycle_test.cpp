// Open, Close and Release of the device manager with no modem attached, calls that need one, and
// vendor callbacks that arrive when there is no manager to reach.
#include <algorithm>
#include <cstring>
#include <functional>
#include <future>
#include <memory>
#include <string>

#include "device_test_host.h"
#include "failing_allocation.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace device_test {
namespace {

const std::vector<int32_t> kOpenClose = {WWAN_NOTIFICATION_SDK_INITIALIZING, WWAN_NOTIFICATION_DETACHED_FROM_DEVICE,
                                         WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, WWAN_NOTIFICATION_SDK_CLOSED};

TEST_F(DeviceManagerTest, EachOpenClosePairDeliversItsFourNotificationsInOrder) {
  std::vector<int32_t> expected;
  for (int round = 1; round <= 2; ++round) {
    ASSERT_TRUE(sdk_->Open());
    EXPECT_TRUE(sdk_->IsOpen());
    ASSERT_TRUE(sdk_->Close());
    EXPECT_FALSE(sdk_->IsOpen());
    // Close returns once its notifications have been delivered.
    expected.insert(expected.end(), kOpenClose.begin(), kOpenClose.end());
    EXPECT_EQ(sink_.Codes(), expected) << "round " << round;
  }
  EXPECT_EQ(traceLog_.Count("    disconnect result = NO_CONNECTION_TO_WWAN_DEVICE", kTraceLevelInfo), 2u);
  // A second Close finds no worker to stop, and says so.
  EXPECT_FALSE(sdk_->Close());
  EXPECT_EQ(traceLog_.Count("    Could not stop work item queue used for Vesk 2000 event handling", kTraceLevelError),
            1u);
}

// Closing and releasing, with or without an Open before, report no failure where nothing failed.
class QuietTeardownTest : public DeviceManagerTest, public testing::WithParamInterface<int> {};

TEST_P(QuietTeardownTest, NothingFailedSoNothingIsReportedAsFailing) {
  for (int round = 0; round < GetParam(); ++round) {
    ASSERT_TRUE(sdk_->Open());
    ASSERT_TRUE(sdk_->Close());
  }
  Release();
  const auto error = traceLog_.FindLine("", kTraceLevelError);
  EXPECT_FALSE(error.has_value()) << error->text;
}

INSTANTIATE_TEST_SUITE_P(OpenCloseRounds, QuietTeardownTest, testing::Values(0, 2));

struct RefusedRow {
  const char* label;
  const char* operation;
  std::function<bool(CVeskSDK&)> call;
};

class ClosedModuleTest : public DeviceManagerTest, public testing::WithParamInterface<RefusedRow> {};

// Before Open and after Close an operation is refused and leaves nothing behind: no attach runs, no
// thread starts, and the next Open still begins with SDK_INITIALIZING.
TEST_P(ClosedModuleTest, RefusesBeforeOpenAndAfterClose) {
  const RefusedRow& row = GetParam();
  const std::string line = std::string("    ") + row.operation + " called while the SDK is not open";
  EXPECT_FALSE(row.call(*sdk_));
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sdk_->Close());
  EXPECT_FALSE(row.call(*sdk_));
  EXPECT_EQ(traceLog_.Count(line, kTraceLevelError), 2u);
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sdk_->Close());
  std::vector<int32_t> expected = kOpenClose;
  expected.insert(expected.end(), kOpenClose.begin(), kOpenClose.end());
  EXPECT_EQ(sink_.Codes(), expected);
  EXPECT_FALSE(traceLog_.Contains("==> CVeskSDK::InitializeVesk"));
  EXPECT_FALSE(traceLog_.Contains("Starting data session thread"));
}

DeviceInfoTree OneNodeTree() {
  DeviceInfoTree tree;
  tree.nodes.emplace_back().id = u"USB\\VID_1410&PID_A001\\1";
  return tree;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Operations, ClosedModuleTest, testing::Values(
    RefusedRow{"Attach", "CVeskSDK::AttachToCellularDevice",
               [](CVeskSDK& s) { return s.AttachToCellularDevice(); }},
    RefusedRow{"AttachNamed", "CVeskSDK::AttachToCellularDevice",
               [](CVeskSDK& s) { return s.GetVeskSDK()->AttachToCellularDevice(OneNodeTree(), true); }},
    RefusedRow{"Connect", "CVeskSDK::Connect",
               [](CVeskSDK& s) { return s.Connect("apn", "user", "password"); }},
    RefusedRow{"Disconnect", "CVeskSDK::Disconnect", [](CVeskSDK& s) { return s.Disconnect(); }},
    RefusedRow{"Unlock", "CVeskSDK::UnlockSim", [](CVeskSDK& s) { return s.UnlockSim("1234"); }},
    RefusedRow{"ServiceSelection", "CVeskSDK::SetCellularServiceSelection",
               [](CVeskSDK& s) { return s.SetCellularServiceSelection(NORMAL_SERVICESELECTION_Default); }},
    RefusedRow{"Autoconnect", "CVeskSDK::SetAutoConnectMode",
               [](CVeskSDK& s) { return s.SetAutoConnectMode(NORMAL_AUTOCONNECT_Enabled, "apn", "", ""); }},
    RefusedRow{"Gps", "CVeskSDK::StartGPSTracking", [](CVeskSDK& s) { return s.StartGPSTracking(); }},
    RefusedRow{"GpsStop", "CVeskSDK::StopGPSTracking", [](CVeskSDK& s) { return s.StopGPSTracking(); }},
    RefusedRow{"ServiceSelectionRead", "CVeskSDK::GetCellularServiceSelection",
               [](CVeskSDK& s) { int32_t selection = 0; return s.GetCellularServiceSelection(&selection); }},
    RefusedRow{"ImageSwitch", "CVeskSDK::StartImageSwitchingProcess",
               [](CVeskSDK& s) { return s.GetVeskSDK()->StartImageSwitchingProcess(u"/images/a"); }},
    RefusedRow{"Diagnostics", "CVeskSDK::PerformSpecialDiagnostics",
               [](CVeskSDK& s) { return s.PerformSpecialDiagnostics(4); }}),  // roaming: posts
    kLabel);
// clang-format on

// A session report still in flight when the library refused a disconnect arrives after the detach:
// the host must not hear of a connection on a modem it was told is gone.
TEST_F(DeviceManagerTest, SessionReportWhileDetachedPostsNoConnected) {
  ASSERT_TRUE(sdk_->Open());
  CVeskSDK::SessionStateCallback(2, 0);  // connected
  ASSERT_TRUE(sdk_->Close());
  EXPECT_EQ(sink_.Codes(), kOpenClose);
  EXPECT_TRUE(traceLog_.Contains("    session is connected (IP=0x00000000)", kTraceLevelInfo));
}

struct CallbackRow {
  const char* label;
  std::function<void()> call;
};

// Each with arguments that its handler posts or queues.
const CallbackRow kCallbacks[] = {
    {"Removal", [] { CVeskSDK::DeviceRemovalCallback(); }},
    {"Nmea", [] { CVeskSDK::NMEACallback("$GPRMC,,V,,,,,,,,,,N*53 and more text"); }},
    {"Power", [] { CVeskSDK::PowerCallback(3); }},
    {"Signal", [] { CVeskSDK::SignalStrengthCallback(-80, 5); }},
    {"Session", [] { CVeskSDK::SessionStateCallback(1, 0); }},
    {"Roaming", [] { CVeskSDK::RoamingIndicatorCallback(1); }},
    {"ByteTotals", [] { CVeskSDK::ByteTotalsCallback(1000, 2000); }},
    {"PdsState", [] { CVeskSDK::PDSStateCallback(1, 1); }},
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

INSTANTIATE_TEST_SUITE_P(Callbacks, OrphanCallbackTest, testing::ValuesIn(kCallbacks), kLabel);

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
                         kLabel);

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

INSTANTIATE_TEST_SUITE_P(Callbacks, CallbackAllocationTest, testing::ValuesIn(kCallbacks), kLabel);

// A sentence still being handled when Close gave up waiting for the worker must find the parser
// and everything else it reaches alive while the manager is destroyed (run under asan).
TEST_F(DeviceManagerTest, ALateSentenceFindsItsParserDuringDestruction) {
  platform::SetTimeScale(0.05);  // Close waits 500 ms for the drain, the destructor 250 ms for the worker
  std::promise<void> destroyed;
  traceLog_.SetLineObserver([&, done = destroyed.get_future().share()](const hostkit::TraceLine& line) {
    if (line.text == "==> CVeskSDK::HandleNMEA") {
      done.wait_for(kWait);
    } else if (line.text.find("destroyed object to interface with the vesk SDK") != std::string::npos) {
      destroyed.set_value();
    }
  });
  ASSERT_TRUE(sdk_->Open());
  CVeskSDK::NMEACallback("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
  ASSERT_TRUE(traceLog_.WaitForLine("==> CVeskSDK::HandleNMEA", kWait));
  EXPECT_FALSE(sdk_->Close());
  Release();
  traceLog_.SetLineObserver(nullptr);
  EXPECT_TRUE(traceLog_.Contains("<== CVeskSDK::HandleNMEA"));
}

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
