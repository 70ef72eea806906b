#include "platform/timer_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/event.h"
#include "platform/scoped_time_scale.h"
#include "platform/timer_probe.h"

namespace platform {
namespace {

using test::Probe;
using test::TimerQueueTest;

using std::chrono::milliseconds;

class TimerExpiryTest : public TimerQueueTest,
                        public testing::WithParamInterface<std::tuple<uint32_t, uint32_t, int>> {};

// A sentinel due well after the probe bounds the observation without a fixed sleep.
TEST_P(TimerExpiryTest, FiresAtItsDueTimeAsOftenAsArmed) {
  const auto [dueMs, periodMs, expectedFires] = GetParam();
  Probe probe, sentinel;
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(probe.Create(dueMs, periodMs));
  ASSERT_TRUE(sentinel.Create(3000, 0));
  ASSERT_TRUE(sentinel.WaitUntil([&] { return sentinel.returned == 1; }));
  EXPECT_EQ(probe.Started(), expectedFires);
  if (expectedFires > 0) {
    EXPECT_GE(probe.firstStart - start, ScaledDuration(dueMs));
  }
  EXPECT_TRUE(DeleteQueueTimer(probe.handle, true));
  EXPECT_TRUE(DeleteQueueTimer(sentinel.handle, true));
}

INSTANTIATE_TEST_SUITE_P(Arming, TimerExpiryTest,
                         testing::Values(std::tuple(0u, 0u, 1), std::tuple(400u, 0u, 1),
                                         std::tuple(kInfinite, 0u, 0), std::tuple(400u, kInfinite, 1),
                                         std::tuple(400u, 0xFFFFFFFEu, 1)));

TEST_F(TimerQueueTest, ChangeRearmsAndDisarms) {
  Probe probe, sentinel;
  ASSERT_TRUE(probe.Create(kInfinite, 0));
  ASSERT_TRUE(ChangeQueueTimer(probe.handle, 0, 0));
  ASSERT_TRUE(probe.WaitUntil([&] { return probe.returned == 1; }));
  ASSERT_TRUE(ChangeQueueTimer(probe.handle, 0, 100));  // re-armed after its single expiry
  ASSERT_TRUE(probe.WaitUntil([&] { return probe.returned >= 4; }));
  ASSERT_TRUE(ChangeQueueTimer(probe.handle, kInfinite, 0));
  const int atDisarm = probe.Started();
  ASSERT_TRUE(sentinel.Create(2000, 0));
  ASSERT_TRUE(sentinel.WaitUntil([&] { return sentinel.returned == 1; }));
  EXPECT_LE(probe.Started(), atDisarm + 1);  // one may have been starting as it was disarmed
  EXPECT_TRUE(DeleteQueueTimer(probe.handle, true));
  EXPECT_TRUE(DeleteQueueTimer(sentinel.handle, true));
  EXPECT_FALSE(ChangeQueueTimer(probe.handle, 0, 0));
  EXPECT_FALSE(DeleteQueueTimer(0, false));
  TimerHandle handle = 7;
  EXPECT_FALSE(CreateQueueTimer(nullptr, [](void*, bool) {}, nullptr, 0, 0, 0));
  EXPECT_FALSE(CreateQueueTimer(&handle, nullptr, nullptr, 0, 0, 0));
  EXPECT_EQ(handle, 0u);
}

class TimerDeleteTest : public TimerQueueTest, public testing::WithParamInterface<bool> {};

TEST_P(TimerDeleteTest, WaitsForARunningCallbackOnlyWhenAsked) {
  const bool waitForCallbacks = GetParam();
  Event gate(Event::ResetPolicy::kManual);
  Probe probe;
  probe.action = [&](Probe&) { gate.Wait(kInfinite); };
  ASSERT_TRUE(probe.Create(0, 0));
  ASSERT_TRUE(probe.WaitUntil([&] { return probe.running == 1; }));
  // Opening the gate a little later gives a Delete that does not wait the chance to return first.
  std::thread opener([&] {
    if (waitForCallbacks) {
      std::this_thread::sleep_for(milliseconds(50));
      gate.Set();
    }
  });
  EXPECT_TRUE(DeleteQueueTimer(probe.handle, waitForCallbacks));
  probe.Update([&] { EXPECT_EQ(probe.returned, waitForCallbacks ? 1 : 0); });
  gate.Set();
  opener.join();
  EXPECT_TRUE(probe.WaitUntil([&] { return probe.returned == 1; }));
}

INSTANTIATE_TEST_SUITE_P(Waiting, TimerDeleteTest, testing::Bool());

TEST_F(TimerQueueTest, DeleteFromItsOwnCallbackDoesNotWaitForItself) {
  Probe probe, next;
  bool deleted = false;
  probe.action = [&](Probe& p) { deleted = DeleteQueueTimer(p.handle, true); };
  ASSERT_TRUE(probe.Create(0, 1000000));
  ASSERT_TRUE(probe.WaitUntil([&] { return probe.returned == 1; }));
  EXPECT_TRUE(deleted);
  // The queue starts again after its last timer went away from inside a callback.
  ASSERT_TRUE(next.Create(0, 0));
  EXPECT_TRUE(next.WaitUntil([&] { return next.returned == 1; }));
  EXPECT_TRUE(DeleteQueueTimer(next.handle, true));
}

// Successive expiries of a periodic timer overlap. The Delete waits for its own share of the running
// count, so the earlier expiry's end must wake it.
TEST_F(TimerQueueTest, DeleteFromACallbackReturnsWhenAnEarlierExpiryEndsMeanwhile) {
  Event deleting(Event::ResetPolicy::kManual);
  std::atomic<int> calls{0};
  std::atomic<bool> deleted{false};
  Probe probe;
  probe.action = [&](Probe& p) {
    const int call = ++calls;
    if (call == 1) {
      deleting.Wait(GenerousWaitMs());
      std::this_thread::sleep_for(milliseconds(20));  // let the Delete begin its wait
    } else if (call == 2) {
      deleting.Set();
      deleted = DeleteQueueTimer(p.handle, true);
    }
  };
  ASSERT_TRUE(probe.Create(0, 100));
  EXPECT_TRUE(probe.WaitUntil([&] { return probe.returned >= 2 && probe.running == 0; }));
  EXPECT_TRUE(deleted);
  probe.Update([&] { EXPECT_GE(probe.maxRunning, 2) << "the second expiry ran beside the first"; });
}

TEST_F(TimerQueueTest, ChangeFromTheCallbackDuringAWaitingDeleteDoesNotDeadlock) {
  Event deleting(Event::ResetPolicy::kManual), deleted(Event::ResetPolicy::kManual);
  Probe probe;
  probe.action = [&](Probe& p) {
    deleting.Wait(kInfinite);
    std::this_thread::sleep_for(milliseconds(20));  // let the Delete begin its wait
    ChangeQueueTimer(p.handle, 0, 100);
  };
  ASSERT_TRUE(probe.Create(0, 100));
  ASSERT_TRUE(probe.WaitUntil([&] { return probe.running >= 1; }));
  std::thread deleter([&] {
    deleting.Set();
    DeleteQueueTimer(probe.handle, true);
    deleted.Set();
  });
  EXPECT_TRUE(deleted.Wait(GenerousWaitMs()));
  deleter.join();
  EXPECT_TRUE(probe.WaitUntil([&] { return probe.running == 0; }));
}

}  // namespace
}  // namespace platform
