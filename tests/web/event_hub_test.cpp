#include "host/web/event_hub.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "vesk/notifications.h"

namespace vesk_host {
namespace {

using std::chrono::milliseconds;

constexpr milliseconds kTimeout{5000};

TEST(EventHubTest, AReaderGetsEveryEventInOrderWhilePublishingGoesOn) {
  EventHub hub;
  constexpr int kCount = 20000;
  std::thread publisher([&hub] {
    for (int i = 0; i < kCount; ++i) {
      hub.Publish(WWAN_NOTIFICATION_RSSI, std::to_string(i));
    }
  });
  uint64_t next = 0;
  std::vector<EventHub::Event> events;
  while (events.size() < kCount && hub.WaitAfter(&next, kTimeout, &events) == EventHub::WaitResult::kEvents) {
  }
  publisher.join();
  ASSERT_EQ(events.size(), static_cast<std::size_t>(kCount));
  for (int i = 0; i < kCount; ++i) {
    ASSERT_EQ(events[i].data, std::to_string(i));
    ASSERT_EQ(events[i].id, static_cast<uint64_t>(i));
  }
}

// Then, with nothing new, it times out.
TEST(EventHubTest, AReaderTooFarBehindSkipsToTheOldestKept) {
  EventHub hub(4);
  for (int i = 0; i < 10; ++i) {
    hub.Publish(0, std::to_string(i));
  }
  uint64_t next = 0;
  std::vector<EventHub::Event> events;
  ASSERT_EQ(hub.WaitAfter(&next, kTimeout, &events), EventHub::WaitResult::kEvents);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(std::tuple(events.front().data, next, hub.NextId()), std::tuple("6", 10u, 10u));
  EXPECT_EQ(hub.WaitAfter(&next, milliseconds(10), &events), EventHub::WaitResult::kTimedOut);
  EXPECT_EQ(events.size(), 4u);
}

TEST(EventHubTest, CloseWakesAWaitingReader) {
  EventHub hub;
  uint64_t next = 0;
  std::vector<EventHub::Event> events;
  std::thread closer([&hub] {
    std::this_thread::sleep_for(milliseconds(20));
    hub.Close();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(hub.WaitAfter(&next, milliseconds(60000), &events), EventHub::WaitResult::kClosed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, kTimeout);
  closer.join();
}

// A new tab sees every message and fix, the signal of the window and the latest others; live events
// start right after them.
TEST(EventHubTest, ReplayKeepsWhatTheStateNeeds) {
  EventHub hub;
  hub.Publish(WWAN_NOTIFICATION_SMS_EVENT, "sms");
  hub.Publish(WWAN_NOTIFICATION_GPS_INFO_CHANGED, "fix");
  hub.Publish(WWAN_NOTIFICATION_RSSI, "rssi");
  for (int i = 0; i < 10; ++i) {
    hub.Publish(WWAN_NOTIFICATION_SERVICE, "service" + std::to_string(i));
  }
  uint64_t next = 0;
  const auto kept = hub.Replay(std::chrono::minutes(10), 3, &next);
  std::vector<std::string> data;
  std::ranges::transform(kept, std::back_inserter(data), &EventHub::Event::data);
  EXPECT_EQ(data, (std::vector<std::string>{"sms", "fix", "rssi", "service7", "service8", "service9"}));
  EXPECT_EQ(next, 13u);
  const auto withoutSignal =
      hub.Replay(std::chrono::steady_clock::duration::zero() - milliseconds(1), 0, &next);
  EXPECT_EQ(withoutSignal.size(), 2u);
}

}  // namespace
}  // namespace vesk_host
