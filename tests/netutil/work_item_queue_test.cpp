#include "netutil/work_item_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <numeric>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "netutil/scaled_time.h"
#include "platform/process.h"

namespace netutil_test {
namespace {

struct Log {
  std::mutex lock;
  std::vector<int> ran;
  std::atomic<int> deleted{0};
  std::vector<int> Ran() {
    std::lock_guard guard(lock);
    return ran;
  }
};

class Item : public CWorkItem {
 public:
  Item(Log& log, int id, std::function<void()> action = {})
      : log_(log), id_(id), action_(std::move(action)) {}
  ~Item() override { ++log_.deleted; }
  void Execute() override {
    if (action_) {
      action_();
    }
    std::lock_guard guard(log_.lock);
    log_.ran.push_back(id_);
  }

 private:
  Log& log_;
  int id_;
  std::function<void()> action_;
};

std::vector<int> Ids(int count) {
  std::vector<int> ids(count);
  std::iota(ids.begin(), ids.end(), 0);
  return ids;
}

class WorkItemQueueDrainTest : public Scaled<testing::TestWithParam<std::tuple<int, bool>>> {};

TEST_P(WorkItemQueueDrainTest, StopRunsEveryQueuedItemInOrder) {
  const auto [items, beforeStart] = GetParam();
  Log log;
  CWorkItemQueue queue;
  ASSERT_TRUE(beforeStart || queue.Start());
  for (int i = 0; i < items; ++i) {
    ASSERT_TRUE(queue.Enqueue(new Item(log, i)));
  }
  ASSERT_TRUE(!beforeStart || queue.Start());
  EXPECT_TRUE(queue.Stop(kTimeoutMs));
  EXPECT_EQ(log.Ran(), Ids(items));
  EXPECT_EQ(log.deleted, items);
}

INSTANTIATE_TEST_SUITE_P(Counts, WorkItemQueueDrainTest,
                         testing::Combine(testing::Values(0, 100), testing::Bool()), [](const auto& info) {
                           return std::to_string(std::get<0>(info.param)) +
                                  (std::get<1>(info.param) ? "BeforeStart" : "AfterStart");
                         });

class WorkItemQueueTest : public Scaled<> {
 protected:
  Log log_;
  CWorkItemQueue queue_;
};

TEST_F(WorkItemQueueTest, RestartsAfterStopAndRunsItemsOfferedMeanwhile) {
  EXPECT_FALSE(queue_.Stop(kTimeoutMs, new Item(log_, 9)));  // never started: deleted unrun
  ASSERT_TRUE(queue_.Start());
  EXPECT_FALSE(queue_.Start());
  ASSERT_TRUE(queue_.Stop(kTimeoutMs, new Item(log_, 0)));
  EXPECT_TRUE(queue_.Enqueue(new Item(log_, 1)));
  ASSERT_TRUE(queue_.Start());
  EXPECT_TRUE(queue_.Stop(kTimeoutMs));
  EXPECT_EQ(log_.Ran(), Ids(2));
  EXPECT_EQ(log_.deleted, 3);
}

TEST_F(WorkItemQueueTest, ItemMayEnqueueIntoItsOwnQueue) {
  EventPtr last = NewEvent();
  ASSERT_TRUE(queue_.Start());
  queue_.Enqueue(new Item(log_, 0, [&] { queue_.Enqueue(new Item(log_, 1, [last] { last->Set(); })); }));
  ASSERT_TRUE(last->Wait(kTimeoutMs));
  EXPECT_TRUE(queue_.Stop(kTimeoutMs));
  EXPECT_EQ(log_.Ran(), Ids(2));
}

TEST_F(WorkItemQueueTest, DrainTimeOutKeepsWorkerAndItemsButRefusesNewOnes) {
  EventPtr gate = NewEvent();
  ASSERT_TRUE(queue_.Start());
  queue_.Enqueue(new Item(log_, 0, [gate] { gate->Wait(kTimeoutMs); }));
  queue_.Enqueue(new Item(log_, 1));
  EXPECT_FALSE(queue_.Stop(100));
  EXPECT_FALSE(queue_.Enqueue(new Item(log_, 2)));
  EXPECT_EQ(log_.deleted, 1);
  gate->Set();
  EXPECT_TRUE(queue_.Stop(kTimeoutMs));
  EXPECT_EQ(log_.Ran(), Ids(2));
}

// The running item ends within the worker's end wait, or outlasts it (the worker is abandoned and
// finishes the item after the queue is gone); queued items are deleted unrun either way, also those
// the worker had already taken out of the queue with the running one (offered before the start).
class WorkItemQueueDestructionTest : public Scaled<testing::TestWithParam<std::tuple<bool, bool>>> {};

TEST_P(WorkItemQueueDestructionTest, DeletesQueuedItemsUnrun) {
  const auto [outlastsEndWait, offeredBeforeStart] = GetParam();
  const bool outlasts = outlastsEndWait;  // clang 14 cannot capture a structured binding
  Log log;
  EventPtr started = NewEvent(), gate = NewEvent();
  auto queue = std::make_unique<CWorkItemQueue>();
  ASSERT_TRUE(offeredBeforeStart || queue->Start());
  queue->Enqueue(new Item(log, 0, [=] {
    started->Set();
    gate->Wait(outlasts ? kTimeoutMs : 200);
  }));
  queue->Enqueue(new Item(log, 1));
  ASSERT_TRUE(!offeredBeforeStart || queue->Start());
  ASSERT_TRUE(started->Wait(kTimeoutMs));
  const uint32_t before = platform::TickCount();
  queue.reset();
  EXPECT_EQ(platform::TickCount() - before >= CWorkItemQueue::kWorkerEndWaitMs, outlastsEndWait);
  gate->Set();
  EXPECT_TRUE(Eventually([&] { return log.deleted == 2; }));
  EXPECT_EQ(log.Ran(), Ids(1));
}

INSTANTIATE_TEST_SUITE_P(EndWait, WorkItemQueueDestructionTest,
                         testing::Combine(testing::Bool(), testing::Bool()), [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Outlasts" : "EndsInTime") +
                                  (std::get<1>(info.param) ? "OfferedBeforeStart" : "OfferedAfterStart");
                         });

// Items offered before the start reach the worker together with the first; a Clear while that one
// runs still deletes the others unrun, and only what is offered after it runs next.
TEST_F(WorkItemQueueTest, ClearDeletesItemsTheWorkerHasTakenButNotRun) {
  EventPtr started = NewEvent(), gate = NewEvent();
  queue_.Enqueue(new Item(log_, 0, [=] {
    started->Set();
    gate->Wait(kTimeoutMs);
  }));
  for (int i = 1; i < 5; ++i) {
    queue_.Enqueue(new Item(log_, i));
  }
  ASSERT_TRUE(queue_.Start());
  ASSERT_TRUE(started->Wait(kTimeoutMs));
  queue_.Clear();
  gate->Set();
  queue_.Enqueue(new Item(log_, 5));  // the cleared rest must not come back with the next take
  EXPECT_TRUE(queue_.Stop(kTimeoutMs));
  EXPECT_EQ(log_.Ran(), (std::vector<int>{0, 5}));
  EXPECT_EQ(log_.deleted, 6);
}

TEST_F(WorkItemQueueTest, IdleWorkerIsBlockedNotSpinning) {
  EventPtr ran = NewEvent();
  ASSERT_TRUE(queue_.Start());
  queue_.Enqueue(new Item(log_, 0, [ran] { ran->Set(); }));
  ASSERT_TRUE(ran->Wait(kTimeoutMs));
  const auto before = platform::ProcessCpuTime();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));  // a measuring window, not a wait
  EXPECT_LT(platform::ProcessCpuTime() - before, std::chrono::milliseconds(100));
}

// Items offered while the worker is busy, and items offered one at a time after it has emptied the
// queue, all run in order without a Stop to push them through.
struct WakeCase {
  const char* name;
  int producers;
  bool oneAtATime;  // each item waits for the previous one to have run
};
class WorkItemQueueWakeTest : public Scaled<testing::TestWithParam<WakeCase>> {};

TEST_P(WorkItemQueueWakeTest, EveryItemRunsWithoutAStop) {
  constexpr int kPerProducer = 500;
  const WakeCase& c = GetParam();
  Log log;
  CWorkItemQueue queue;
  ASSERT_TRUE(queue.Start());
  std::vector<std::thread> producers;
  for (int p = 0; p < c.producers; ++p) {
    producers.emplace_back([&, p] {
      for (int i = 0; i < kPerProducer; ++i) {
        EventPtr done = NewEvent();
        EXPECT_TRUE(queue.Enqueue(new Item(log, p * kPerProducer + i, [done] { done->Set(); })));
        if (c.oneAtATime) {
          EXPECT_TRUE(done->Wait(kTimeoutMs));
        }
      }
    });
  }
  for (std::thread& t : producers) {
    t.join();
  }
  ASSERT_TRUE(
      Eventually([&] { return log.Ran().size() == static_cast<size_t>(c.producers * kPerProducer); }));
  // Each producer's items ran in the order it offered them.
  std::vector<int> last(c.producers, -1);
  for (int id : log.Ran()) {
    EXPECT_GT(id, last[id / kPerProducer]);
    last[id / kPerProducer] = id;
  }
  EXPECT_TRUE(queue.Stop(kTimeoutMs));
}

INSTANTIATE_TEST_SUITE_P(Producers, WorkItemQueueWakeTest,
                         testing::Values(WakeCase{"OneByOne", 1, true}, WakeCase{"Burst", 1, false},
                                         WakeCase{"ThreeBursts", 3, false}),
                         [](const testing::TestParamInfo<WakeCase>& info) { return info.param.name; });

}  // namespace
}  // namespace netutil_test
