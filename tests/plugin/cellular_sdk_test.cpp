// The plug-in base as a host sees it: delivery, open and close, power events, payload ownership.
#include "plugin/cellular_sdk.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <latch>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/task_allocator.h"
#include "plugin/notification_names.h"
#include "trace/trace.h"
#include "plugin_test_host.h"

namespace {

// Run on the calling thread just before its next nothrow allocation: a way into the moment between
// two steps of the code under test. A pointer, not the function itself: in the mingw build (under
// Wine) a thread-local with a destructor crashed now and then at thread exit, destroyed after its
// storage had been freed.
thread_local std::function<void()>* tBeforeNothrowAllocation = nullptr;

void BeforeNextNothrowAllocation(std::function<void()> action) {
  delete tBeforeNothrowAllocation;
  tBeforeNothrowAllocation = new std::function<void()>(std::move(action));
}

}  // namespace

// The nothrow operator new of the whole binary; with no action set it allocates as the library's own.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (tBeforeNothrowAllocation != nullptr) {
    // Taken first: the action's own allocations do not run it again.
    const std::unique_ptr<std::function<void()>> action(std::exchange(tBeforeNothrowAllocation, nullptr));
    (*action)();
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}

namespace plugin_test {
namespace {

using CellularSDKTest = PluginHostTest<>;

// The base offers no vendor interface and no GPS tracking: a derived plug-in must bring its own.
TEST_F(CellularSDKTest, TheBaseOffersNoVendorInterfaceAndNoTracking) {
  EXPECT_EQ((std::vector<const void*>{sdk_->GetSmithMicroSDK(), sdk_->GetVeskSDK(), sdk_->GetSierraVeskSDK(),
                                      sdk_->GetSierraEmbVeskSDK()}),
            std::vector<const void*>(4, nullptr));
  EXPECT_FALSE(sdk_->StartGPSTracking());
  EXPECT_FALSE(sdk_->StopGPSTracking());
  EXPECT_EQ(traceLog_.Count("    Cannot cast to I", kTraceLevelInfo), 4u);
}

// A callback still arriving after the close (its detach refused) must not reach the host after the
// closing notification, nor ahead of the next opening one. A second Open fails and posts nothing.
TEST_F(CellularSDKTest, PostsBetweenCloseAndTheNextOpenAreDropped) {
  ASSERT_TRUE(sdk_->Open());
  EXPECT_FALSE(sdk_->Open());
  EXPECT_TRUE(sdk_->PostNotification(WWAN_NOTIFICATION_RSSI, 20, 0));
  ASSERT_TRUE(sdk_->Close());
  // Its poster learns it, so that an SMS whose notification was dropped stays unread on the modem.
  EXPECT_FALSE(
      sdk_->PostNotification(WWAN_NOTIFICATION_BYTES_TX_RX, reinterpret_cast<uintptr_t>(new ByteTotals{1, 2}), 0));
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sdk_->Close());
  std::vector<int32_t> twice = OpenClose({WWAN_NOTIFICATION_RSSI});
  const std::vector<int32_t> again = OpenClose();
  twice.insert(twice.end(), again.begin(), again.end());
  EXPECT_EQ(sink_.Codes(), twice);
}

// A vendor callback (its detach refused, the library goes on calling back) lists its notification
// just as a Close begins: the stopping queue must not refuse its delivery and drop the closing
// notification listed behind it.
TEST_F(CellularSDKTest, APostCaughtByCloseIsDeliveredAndClosedStillArrives) {
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sink_.WaitFor(WWAN_NOTIFICATION_SDK_INITIALIZING, kWait));
  std::thread closer;
  std::atomic<bool> closed{false};
  // The post's next nothrow allocation is the event that will deliver its notification.
  BeforeNextNothrowAllocation([&] {
    closer = std::thread([&] { closed = sdk_->Close(); });
    // Time for a Close that did not wait for the post to stop the idle queue.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
  });
  EXPECT_TRUE(sdk_->PostNotification(WWAN_NOTIFICATION_RSSI, 20, 0));
  closer.join();
  EXPECT_TRUE(closed);
  EXPECT_EQ(sink_.Codes(), OpenClose({WWAN_NOTIFICATION_RSSI}));
}

TEST_F(CellularSDKTest, RefusedRegistrationFailsOpenAfterQueuingInitializing) {
  powerSource_.RefuseRegister(true);
  EXPECT_FALSE(sdk_->Open());
  EXPECT_FALSE(sdk_->IsOpen());
  // The notification thread keeps running and delivers what was queued.
  EXPECT_TRUE(sink_.WaitFor(WWAN_NOTIFICATION_SDK_INITIALIZING, kWait));
}

TEST_F(CellularSDKTest, RefusedUnregistrationStillDeliversDetachedAndClosed) {
  ASSERT_TRUE(sdk_->Open());
  powerSource_.RefuseUnregister(true);
  EXPECT_FALSE(sdk_->Close());
  EXPECT_EQ(sink_.Codes(), OpenClose());
  EXPECT_EQ(traceLog_.Count("    Could not unregister PC Power State Observer", 4), 1u);
  EXPECT_FALSE(traceLog_.Contains("Could not shut down notification thread"));
}

TEST_F(CellularSDKTest, PowerEventsReachTheMostDerivedHandlersWhileRegistered) {
  ASSERT_TRUE(sdk_->Open());
  EXPECT_EQ(powerSource_.RaiseSleep(), 1u);
  EXPECT_EQ(powerSource_.RaiseResume(), 1u);
  EXPECT_EQ(std::pair(sdk_->sleeps.load(), sdk_->resumes.load()), std::pair(1, 1));
  ASSERT_TRUE(sdk_->Close());
  EXPECT_EQ(powerSource_.RaiseSleep(), 0u) << "the observer registered is the one unregistered";
}

// A sink that checks it is never entered twice at once and notes the delivering threads.
class ConcurrencyCheckingSink : public hostkit::RecordingNotificationSink {
 public:
  void OnNotification(int32_t code, uintptr_t param1, uintptr_t param2) override {
    const int inside = ++inside_;
    maxInside_ = std::max(maxInside_.load(), inside);
    {
      std::lock_guard<std::mutex> lock(threadsLock_);
      threads_.push_back(std::this_thread::get_id());
    }
    RecordingNotificationSink::OnNotification(code, param1, param2);
    --inside_;
  }

  std::atomic<int> inside_{0}, maxInside_{0};
  std::mutex threadsLock_;
  std::vector<std::thread::id> threads_;
};

using ConcurrentPostingTest = PluginHostTest<ConcurrencyCheckingSink>;

TEST_F(ConcurrentPostingTest, EachPostersNotificationsArriveInOrderOneAtATime) {
  constexpr int kPosters = 4, kPerPoster = 250;
  ASSERT_TRUE(sdk_->Open());
  std::latch start(kPosters);
  std::vector<std::thread> posters;
  std::vector<std::thread::id> posterIds;
  for (int poster = 0; poster < kPosters; ++poster) {
    posters.emplace_back([&, poster] {
      start.arrive_and_wait();
      for (int sequence = 0; sequence < kPerPoster; ++sequence) {
        sdk_->PostNotification(WWAN_NOTIFICATION_RSSI, static_cast<uintptr_t>(poster),
                               static_cast<uintptr_t>(sequence));
      }
    });
    posterIds.push_back(posters.back().get_id());
  }
  for (std::thread& thread : posters) {
    thread.join();
  }
  ASSERT_TRUE(sdk_->Close());

  std::map<uintptr_t, std::vector<uintptr_t>> sequences;
  for (const auto& record : sink_.Notifications()) {
    if (record.code == WWAN_NOTIFICATION_RSSI) {
      sequences[record.param1].push_back(record.param2);
    }
  }
  ASSERT_EQ(sequences.size(), static_cast<size_t>(kPosters));
  for (const auto& [poster, seen] : sequences) {
    ASSERT_EQ(seen.size(), static_cast<size_t>(kPerPoster)) << "poster " << poster;
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end())) << "poster " << poster;
  }
  EXPECT_EQ(sink_.maxInside_, 1);
  posterIds.push_back(std::this_thread::get_id());
  for (std::thread::id deliverer : sink_.threads_) {
    EXPECT_EQ(std::count(posterIds.begin(), posterIds.end(), deliverer), 0);
  }
}

// A sink that holds the first notification until the test lets it go.
class BlockingSink : public hostkit::RecordingNotificationSink {
 public:
  void OnNotification(int32_t code, uintptr_t param1, uintptr_t param2) override {
    entered.Set();
    released.Wait(platform::kInfinite);
    RecordingNotificationSink::OnNotification(code, param1, param2);
  }

  platform::Event entered{platform::Event::ResetPolicy::kManual};
  platform::Event released{platform::Event::ResetPolicy::kManual};
};

// On the scaled clock the 10 s drain and the 5 s end of the notification thread pass in 200 ms and 100 ms.
class SlowHostTest : public ScaledPluginHostTest<BlockingSink>, public testing::WithParamInterface<bool> {
 protected:
  void TearDown() override {
    sink_.released.Set();  // before the plug-in goes, should the test end early
    ScaledPluginHostTest<BlockingSink>::TearDown();
  }
};

// What was still queued behind the held notification is discarded, not delivered later. Notifications
// posted before the open are delivered as one run, and the rest of that run is dropped too (their
// payloads freed: run under AddressSanitizer).
TEST_P(SlowHostTest, CloseGivesUpOnAThreadThatDoesNotDrain) {
  const bool postedBeforeOpen = GetParam();
  for (uint64_t sent = 1; postedBeforeOpen && sent <= 3; ++sent) {
    sdk_->PostNotification(WWAN_NOTIFICATION_BYTES_TX_RX, reinterpret_cast<uintptr_t>(new ByteTotals{sent, 0}), 0);
  }
  ASSERT_TRUE(sdk_->Open());
  ASSERT_TRUE(sink_.entered.Wait(static_cast<uint32_t>(kWait.count() / platform::TimeScale())));
  EXPECT_FALSE(sdk_->Close());
  EXPECT_EQ(traceLog_.Count("    Could not shut down notification thread", 4), 1u);
  sink_.released.Set();
  sdk_.reset();
  EXPECT_EQ(sink_.Codes(), std::vector<int32_t>{postedBeforeOpen ? WWAN_NOTIFICATION_BYTES_TX_RX
                                                                 : WWAN_NOTIFICATION_SDK_INITIALIZING});
}

INSTANTIATE_TEST_SUITE_P(PostedBeforeOpen, SlowHostTest, testing::Bool());

// Payloads the module allocates, as each payload-carrying code does.
uintptr_t NewPayload(int32_t code) {
  switch (code) {
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      return reinterpret_cast<uintptr_t>(new char16_t[4]{u'1', u'2', u'3', 0});
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      return reinterpret_cast<uintptr_t>(new ByteTotals{1ull << 40, 7});
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      return reinterpret_cast<uintptr_t>(
          new GpsInfo{.hasFix = 1, .sourceText = u"a port name long enough to live on the heap"});
    case WWAN_NOTIFICATION_SMS_EVENT: {
      auto* event = static_cast<SmsEvent*>(platform::TaskMemAlloc(sizeof(SmsEvent)));
      event->sender = static_cast<char16_t*>(platform::TaskMemAlloc(4 * sizeof(char16_t)));
      std::memcpy(event->sender, u"+49", 4 * sizeof(char16_t));
      event->body = static_cast<char16_t*>(platform::TaskMemAlloc(3 * sizeof(char16_t)));
      std::memcpy(event->body, u"hi", 3 * sizeof(char16_t));
      event->timestamp = 42;
      return reinterpret_cast<uintptr_t>(event);
    }
    default:
      return 0;
  }
}

enum class Fate { kDelivered, kNeverOpened, kPostedAfterClose };

class PayloadTest : public PluginHostTest<>, public testing::WithParamInterface<std::tuple<int32_t, Fate>> {};

// Run under AddressSanitizer: a payload freed twice or never freed fails the test.
TEST_P(PayloadTest, EveryPayloadIsFreedExactlyOnce) {
  const auto [code, fate] = GetParam();
  switch (fate) {
    case Fate::kDelivered: {
      ASSERT_TRUE(sdk_->Open());
      sdk_->PostNotification(code, NewPayload(code), 0);
      ASSERT_TRUE(sdk_->Close());
      const auto records = sink_.Notifications();
      ASSERT_EQ(records.size(), 4u);
      EXPECT_TRUE(records[1].hasPayload);
      break;
    }
    case Fate::kNeverOpened:
      sdk_->PostNotification(code, NewPayload(code), 0);
      sdk_.reset();
      EXPECT_EQ(sink_.Count(), 0u);
      break;
    case Fate::kPostedAfterClose:
      ASSERT_TRUE(sdk_->Open());
      ASSERT_TRUE(sdk_->Close());
      sdk_->PostNotification(code, NewPayload(code), 0);
      sdk_.reset();
      EXPECT_EQ(sink_.Codes(), OpenClose());
      break;
  }
}

std::string PayloadCaseName(const testing::TestParamInfo<std::tuple<int32_t, Fate>>& info) {
  static const char* const kFates[] = {"Delivered", "NeverOpened", "PostedAfterClose"};
  const std::string name = NotificationName(std::get<0>(info.param));
  return name.substr(name.find("ION_") + 4) + kFates[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, PayloadTest,
    testing::Combine(testing::Values(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED, WWAN_NOTIFICATION_BYTES_TX_RX,
                                     WWAN_NOTIFICATION_GPS_INFO_CHANGED, WWAN_NOTIFICATION_SMS_EVENT),
                     testing::Values(Fate::kDelivered, Fate::kNeverOpened, Fate::kPostedAfterClose)),
    PayloadCaseName);

// The names in the module's trace lines: the first and last codes and both sides of the range.
struct NameCase {
  int32_t code;
  const char16_t* name;
};
class NotificationNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(NotificationNameTest, NamesTheCodesOfTheContractOnly) {
  EXPECT_EQ(std::u16string(GetNotificationName(GetParam().code)), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, NotificationNameTest,
    testing::Values(NameCase{WWAN_NOTIFICATION_SDK_INITIALIZING, u"WWAN_NOTIFICATION_SDK_INITIALIZING"},
                    NameCase{WWAN_NOTIFICATION_RSSI, u"WWAN_NOTIFICATION_RSSI"},
                    NameCase{WWAN_NOTIFICATION_GPS_INFO_CHANGED, u"WWAN_NOTIFICATION_GPS_INFO_CHANGED"},
                    NameCase{-1, u""}, NameCase{WWAN_NOTIFICATION_GPS_INFO_CHANGED + 1, u""},
                    NameCase{INT32_MIN, u""}));

}  // namespace
}  // namespace plugin_test
