// The timer queue, and on POSIX the queue's own threads (Windows uses the system's pool).
#include "platform/timer_queue.h"

#if !defined(_WIN32)
#include <dirent.h>
#include <sched.h>
#endif
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/event.h"
#include "platform/scoped_time_scale.h"

namespace platform {
namespace {

using std::chrono::milliseconds;

// One timer and what its callbacks did; an optional action runs inside each callback.
struct Probe {
  std::mutex lock;
  std::condition_variable changed;
  int started = 0, returned = 0, running = 0, maxRunning = 0;
  std::chrono::steady_clock::time_point firstStart;
  std::function<void(Probe&)> action;
  TimerHandle handle = 0;

  bool Create(uint32_t dueMs, uint32_t periodMs) {
    return CreateQueueTimer(
        &handle, [](void* p, bool) { static_cast<Probe*>(p)->Fire(); }, this, dueMs, periodMs, 0);
  }
  void Fire() {
    Update([&] {
      firstStart = started++ == 0 ? std::chrono::steady_clock::now() : firstStart;
      maxRunning = std::max(maxRunning, ++running);
    });
    if (action) {
      action(*this);
    }
    Update([&] { --running, ++returned; });
  }
  void Update(const std::function<void()>& change) {
    std::lock_guard<std::mutex> guard(lock);
    change();
    changed.notify_all();
  }
  bool WaitUntil(const std::function<bool()>& condition) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, kGenerousWait, condition);
  }
  int Started() {
    std::lock_guard<std::mutex> guard(lock);
    return started;
  }
};

class TimerQueueTest : public testing::Test {
 protected:
  ScopedTimeScale scale_{0.05};
};

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

#if !defined(_WIN32)
// The threads of this process by id, with their state ('S' blocked, 'R' runnable) and their context
// switches so far, to tell blocked threads from polling ones.
using Census = std::map<int, std::pair<char, uint64_t>>;

Census ThreadCensus() {
  Census census;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir("/proc/self/task"), closedir);
  while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
    std::ifstream status("/proc/self/task/" + std::string(entry->d_name) + "/status");
    std::pair<char, uint64_t> activity{'?', 0};
    for (std::string key; status >> key; status.ignore(4096, '\n')) {
      uint64_t switches = 0;
      if (key == "State:") {
        status >> activity.first;
      } else if (key.ends_with("voluntary_ctxt_switches:") && status >> switches) {
        activity.second += switches;
      }
    }
    if (entry->d_name[0] != '.' && activity.first != '?') {
      census[std::stoi(entry->d_name)] = activity;
    }
  }
  return census;
}

// Threads other than those before the test; one thread is started first because a sanitizer
// runtime adds its own helper thread on the first start.
Census Baseline() {
  std::thread([] {}).join();
  return ThreadCensus();
}
std::vector<int> ThreadsBesides(const Census& baseline) {
  std::vector<int> added;
  for (const auto& [tid, activity] : ThreadCensus()) {
    if (!baseline.contains(tid)) {
      added.push_back(tid);
    }
  }
  return added;
}

TEST_F(TimerQueueTest, IdleQueueThreadsStayBlocked) {
  const auto baseline = Baseline();
  Probe fired, pending;
  ASSERT_TRUE(fired.Create(0, 0));
  ASSERT_TRUE(pending.Create(GenerousWaitMs() * 100, 0));
  ASSERT_TRUE(fired.WaitUntil([&] { return fired.returned == 1; }));
  const std::vector<int> queueThreads = ThreadsBesides(baseline);
  EXPECT_GE(queueThreads.size(), 2u);  // the dispatcher and a pool thread
  // A polling thread switches many times over this window; a blocked one not at all.
  std::this_thread::sleep_for(milliseconds(100));
  const auto before = ThreadCensus();
  std::this_thread::sleep_for(milliseconds(300));
  const auto after = ThreadCensus();
  for (int tid : queueThreads) {
    EXPECT_EQ(after.at(tid).first, 'S');
    EXPECT_EQ(after.at(tid).second, before.at(tid).second);
  }
  EXPECT_TRUE(DeleteQueueTimer(fired.handle, true));
  EXPECT_TRUE(DeleteQueueTimer(pending.handle, true));
}

// The last Delete joins the queue's threads before it returns, so that a library holding the queue
// can be unloaded right after. To show a thread that would still be on its way out, the queue's
// threads are started at idle priority on the test thread's processor: they run only while the test
// thread waits, and the census right after the Delete does not wait.
TEST_F(TimerQueueTest, DeletingTheLastTimerEndsTheQueueThreads) {
  cpu_set_t allowed, one;
  ASSERT_EQ(sched_getaffinity(0, sizeof allowed, &allowed), 0);
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  const auto pin = [&] { ASSERT_EQ(sched_setaffinity(0, sizeof one, &one), 0); };
  const auto baseline = Baseline();
  pin();
  // The second round deletes the timer while its callback runs, without waiting: only the thread
  // inside the callback may then be left, to end on its own.
  for (const bool waitForCallbacks : {true, false}) {
    Event gate(Event::ResetPolicy::kManual);
    Probe probe;
    probe.action = [&](Probe&) { gate.Wait(waitForCallbacks ? 0 : kInfinite); };
    std::thread([&] {
      pin();
      const sched_param idle{};
      ASSERT_EQ(sched_setscheduler(0, SCHED_IDLE, &idle), 0);
      ASSERT_TRUE(probe.Create(0, waitForCallbacks ? 50 : 0));  // one thread in the callback
    }).join();
    ASSERT_TRUE(probe.WaitUntil([&] { return probe.returned >= 2 || probe.running == 1; }));
    EXPECT_FALSE(ThreadsBesides(baseline).empty());
    EXPECT_TRUE(DeleteQueueTimer(probe.handle, waitForCallbacks));
    EXPECT_EQ(ThreadsBesides(baseline).size(), waitForCallbacks ? 0u : 1u);
    gate.Set();
    ASSERT_TRUE(probe.WaitUntil([&] { return probe.running == 0; }));
  }
  sched_setaffinity(0, sizeof allowed, &allowed);
}
#endif

}  // namespace
}  // namespace platform
