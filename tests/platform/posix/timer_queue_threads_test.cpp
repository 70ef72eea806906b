// The queue's own threads, which only the POSIX timer queue has (Windows uses the system's pool).
#include <dirent.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/timer_probe.h"

namespace platform {
namespace {

using std::chrono::milliseconds;
using test::Probe;
using test::TimerQueueTest;

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

TEST_F(TimerQueueTest, DeletingTheLastTimerEndsTheQueueThreads) {
  const auto baseline = Baseline();
  for (int round = 0; round < 2; ++round) {
    Probe probe;
    ASSERT_TRUE(probe.Create(0, 50));
    ASSERT_TRUE(probe.WaitUntil([&] { return probe.returned >= 2; }));
    EXPECT_FALSE(ThreadsBesides(baseline).empty());
    EXPECT_TRUE(DeleteQueueTimer(probe.handle, true));
    EXPECT_TRUE(ThreadsBesides(baseline).empty());
  }
}

}  // namespace
}  // namespace platform
