// The recording trace log that tests and the reference host share.
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "host/kit/recording_trace_log.h"

namespace hostkit {
namespace {

constexpr std::chrono::milliseconds kWait{10000};

TEST(RecordingTraceLogTest, ConcurrentTracersLoseNoLineAndObserverMayReadTheLog) {
  std::atomic<int> observed{0};
  RecordingTraceLog log;
  log.SetLineObserver([&](const TraceLine&) {
    (void)log.Count("never");  // must not deadlock
    ++observed;
  });
  constexpr int kThreads = 4, kScopes = 100;
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
