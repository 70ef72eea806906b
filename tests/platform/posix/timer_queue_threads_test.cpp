// The queue's own threads, which only the POSIX timer queue has (Windows uses the system's pool).
#include <gtest/gtest.h>
#include <sched.h>

#include <thread>
#include <vector>

#include "platform/event.h"
#include "platform/posix/thread_census.h"
#include "platform/timer_probe.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
using test::Probe;
using test::TimerQueueTest;

// Threads other than those before the test; one thread is started first because a sanitizer
// runtime adds its own helper thread on the first start.
std::map<int, std::pair<char, uint64_t>> Baseline() {
  std::thread([] {}).join();
  return test::ThreadCensus();
}
std::vector<int> ThreadsBesides(const std::map<int, std::pair<char, uint64_t>>& baseline) {
  std::vector<int> added;
  for (const auto& [tid, activity] : test::ThreadCensus()) {
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
  const auto before = test::ThreadCensus();
  std::this_thread::sleep_for(milliseconds(300));
  const auto after = test::ThreadCensus();
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

}  // namespace
}  // namespace platform
