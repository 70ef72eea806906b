// The recording sink and trace log that tests and the reference host share.
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/recording_notification_sink.h"
#include "host/recording_trace_log.h"
#include "vesk/notifications.h"

namespace hostkit {
namespace {

constexpr std::chrono::milliseconds kWait{10000};

char16_t* TaskText(const char16_t* text) {
  const size_t bytes = (std::char_traits<char16_t>::length(text) + 1) * sizeof(char16_t);
  return static_cast<char16_t*>(std::memcpy(std::malloc(bytes), text, bytes));
}

// Run under AddressSanitizer, a payload not freed by the sink fails as a leak.
TEST(RecordingNotificationSinkTest, CopiesEachPayloadKindAndFreesIt) {
  RecordingNotificationSink sink;
  sink.OnNotification(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED,
                      reinterpret_cast<uintptr_t>(new char16_t[4]{u'5', u'5', u'5', 0}), 0);
  sink.OnNotification(WWAN_NOTIFICATION_BYTES_TX_RX,
                      reinterpret_cast<uintptr_t>(new ByteTotals{5000000000ull, 9}), 0);
  GpsInfo* gps = new GpsInfo;
  gps->sourceText = u"the NMEA port of a modem with a long name";
  sink.OnNotification(WWAN_NOTIFICATION_GPS_INFO_CHANGED, reinterpret_cast<uintptr_t>(gps), 0);
  auto* sms = static_cast<SmsEvent*>(std::malloc(sizeof(SmsEvent)));
  *sms = SmsEvent{TaskText(u"+4912"), TaskText(u"hello"), 77};
  sink.OnNotification(WWAN_NOTIFICATION_SMS_EVENT, reinterpret_cast<uintptr_t>(sms), 0);
  sink.OnNotification(WWAN_NOTIFICATION_GPS_INFO_CHANGED, 0, 0);

  const auto records = sink.Notifications();
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].text, u"555");
  EXPECT_EQ(records[1].totals.transmitted, 5000000000ull);
  EXPECT_EQ(records[1].totals.received, 9u);
  ASSERT_TRUE(records[2].gps.has_value());
  EXPECT_EQ(records[2].gps->sourceText, u"the NMEA port of a modem with a long name");
  EXPECT_EQ(records[2].gps->satellites, 255);
  EXPECT_EQ(records[3].text, u"+4912");
  EXPECT_EQ(records[3].body, u"hello");
  EXPECT_EQ(records[3].timestamp, 77u);
  EXPECT_FALSE(records[4].hasPayload);
  EXPECT_FALSE(records[4].gps.has_value());
}

TEST(RecordingTraceLogTest, ConcurrentTracersLoseNoLineAndObserverMayReadTheLog) {
  std::atomic<int> observed{0};
  RecordingTraceLog log;
  log.SetLineObserver([&](const TraceLine&) {
    (void)log.Count("never");  // must not deadlock
    ++observed;
  });
  constexpr int kThreads = 4;
  constexpr int kScopes = 100;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&log, t] {
      for (int i = 0; i < kScopes; ++i) {
        log.TraceA(20, 5, "==> %s%d", "Worker", t);
        log.TraceW(20, 4, u"    step %d", i);
        log.TraceA(20, 5, "<== %s%d", "Worker", t);
      }
    });
  }
  EXPECT_TRUE(log.WaitForLine("<== Worker0", kWait));
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(log.lines().size(), static_cast<size_t>(kThreads * kScopes * 3));
  EXPECT_EQ(observed.load(), kThreads * kScopes * 3);
  EXPECT_EQ(log.Count("    step", 4), static_cast<size_t>(kThreads * kScopes));
  EXPECT_EQ(log.Count("step", 5), 0u);
}

}  // namespace
}  // namespace hostkit
