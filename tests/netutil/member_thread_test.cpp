#include "netutil/member_thread.h"

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "netutil/scaled_time.h"

namespace netutil_test {
namespace {

struct Worker {
  EventPtr gate = NewEvent();
  std::mutex lock;
  std::vector<std::string> calls;

  // Reads its arguments only after the gate, so they must still be there then.
  void Run(const std::string& text, int number) {
    gate->Wait(kTimeoutMs);
    std::lock_guard guard(lock);
    calls.push_back(text + std::to_string(number));
  }
  std::vector<std::string> Calls() {
    std::lock_guard guard(lock);
    return calls;
  }
};

using WorkerThread = CMemberThread<Worker, const std::string&, int>;

class MemberThreadTest : public Scaled<> {
 protected:
  Worker worker_;
  std::unique_ptr<WorkerThread> thread_ = std::make_unique<WorkerThread>(&worker_, &Worker::Run);
};

TEST_F(MemberThreadTest, RunsOneThreadAtATimeWithItsArguments) {
  ASSERT_TRUE(thread_->Start(std::string("first"), 1));
  EXPECT_FALSE(thread_->Start("second", 2));
  worker_.gate->Set();
  ASSERT_TRUE(Eventually([&] { return thread_->Start("third", 3); }));
  thread_.reset();
  EXPECT_EQ(worker_.Calls(), (std::vector<std::string>{"first1", "third3"}));
}

TEST_F(MemberThreadTest, AbandonedThreadKeepsItsArguments) {
  ASSERT_TRUE(thread_->Start(std::string(64, 'x'), 7));
  const uint32_t before = platform::TickCount();
  thread_.reset();
  EXPECT_GE(platform::TickCount() - before, WorkerThread::kEndWaitMs);
  worker_.gate->Set();
  ASSERT_TRUE(Eventually([&] { return worker_.Calls().size() == 1; }));
  EXPECT_EQ(worker_.Calls()[0], std::string(64, 'x') + "7");
}

struct WaitRow {
  const char* label;
  bool start;
  bool letItEnd;  // opens the gate just before the wait
  uint32_t waitMs;
  bool ended;
};

class MemberThreadWaitTest : public MemberThreadTest, public testing::WithParamInterface<WaitRow> {};

TEST_P(MemberThreadWaitTest, TellsWhetherTheLastThreadEndedWithinTheWait) {
  const WaitRow& row = GetParam();
  if (row.start) {
    ASSERT_TRUE(thread_->Start(std::string("w"), 1));
  }
  if (row.letItEnd) {
    worker_.gate->Set();
  }
  const uint32_t before = platform::TickCount();
  EXPECT_EQ(thread_->Wait(row.waitMs), row.ended);
  EXPECT_GE(platform::TickCount() - before, row.ended ? 0 : row.waitMs);
  worker_.gate->Set();
  EXPECT_TRUE(thread_->Wait(kTimeoutMs));
  EXPECT_TRUE(thread_->Start(std::string("next"), 2));
}

INSTANTIATE_TEST_SUITE_P(Rows, MemberThreadWaitTest,
                         testing::Values(WaitRow{"NothingStarted", false, false, 0, true},
                                         WaitRow{"RunningPastTheWait", true, false, 100, false},
                                         WaitRow{"EndsDuringTheWait", true, true, kTimeoutMs, true}),
                         [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace netutil_test
