#include "platform/event.h"

#include <gtest/gtest.h>

#include <array>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/scoped_time_scale.h"

namespace platform {
namespace {

using Policy = Event::ResetPolicy;

class EventResetTest : public testing::TestWithParam<std::tuple<Policy, bool>> {};

TEST_P(EventResetTest, OnlyAnAutoResetEventIsConsumedByAWait) {
  const auto [policy, initiallySignaled] = GetParam();
  Event event(policy, initiallySignaled);
  if (!initiallySignaled) {
    EXPECT_FALSE(event.Wait(0));
    event.Set();
  }
  EXPECT_TRUE(event.Wait(0));
  EXPECT_EQ(event.Wait(0), policy == Policy::kManual);
  event.Set();
  event.Reset();
  EXPECT_FALSE(event.Wait(0));
}

INSTANTIATE_TEST_SUITE_P(Policies, EventResetTest,
                         testing::Combine(testing::Values(Policy::kAutomatic, Policy::kManual),
                                          testing::Bool()));

TEST(EventTest, WaitAnyReturnsTheFirstSignalledAndConsumesOnlyAutoReset) {
  Event first(Policy::kAutomatic), manual(Policy::kManual), last(Policy::kAutomatic);
  const std::array<Event*, 3> events{&first, &manual, &last};
  manual.Set();
  last.Set();
  EXPECT_EQ(WaitAny(events, 0), 1);
  EXPECT_EQ(WaitAny(events, 0), 1);
  manual.Reset();
  EXPECT_EQ(WaitAny(events, 0), 2);
  EXPECT_EQ(WaitAny(events, 0), -1);
}

TEST(EventTest, TimedOutWaitsLastAtLeastTheScaledTime) {
  ScopedTimeScale scale(0.05);
  Event a(Policy::kAutomatic), b(Policy::kManual);
  const std::array<Event*, 2> events{&a, &b};
  for (int any = 0; any < 2; ++any) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(any ? WaitAny(events, 400) != -1 : a.Wait(400));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, ScaledDuration(400));
    EXPECT_LT(elapsed, std::chrono::milliseconds(400));  // the unscaled time
  }
}

// Each Set of an auto-reset event must release exactly one waiter, none lost and none doubled,
// whether it waits on the event alone or among others.
TEST(EventTest, EachAutoResetSetReleasesExactlyOneWaiter) {
  constexpr int kWaiters = 6;
  Event event(Policy::kAutomatic), never(Policy::kManual);
  std::mutex lock;
  std::condition_variable released;
  int consumed = 0;
  std::vector<std::thread> waiters;
  for (int i = 0; i < kWaiters; ++i) {
    waiters.emplace_back([&, i] {
      const std::array<Event*, 2> events{&never, &event};
      if (i % 2 == 0 ? event.Wait(GenerousWaitMs()) : WaitAny(events, GenerousWaitMs()) == 1) {
        std::lock_guard<std::mutex> guard(lock);
        ++consumed;
        released.notify_all();
      }
    });
  }
  for (int i = 1; i <= kWaiters; ++i) {
    event.Set();
    std::unique_lock<std::mutex> guard(lock);
    EXPECT_TRUE(released.wait_for(guard, kGenerousWait, [&] { return consumed >= i; }));
  }
  for (auto& w : waiters) {
    w.join();
  }
  EXPECT_EQ(consumed, kWaiters);
  EXPECT_FALSE(event.Wait(0));
}

}  // namespace
}  // namespace platform
