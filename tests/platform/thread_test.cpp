#include "platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/event.h"
#include "platform/scoped_time_scale.h"

namespace platform {
namespace {

TEST(ThreadTest, TimedJoinFailsWhileTheBodyRunsAndSucceedsOnceItEnds) {
  ScopedTimeScale scale(0.05);
  auto release = std::make_shared<Event>(Event::ResetPolicy::kManual);
  std::atomic<bool> current{false};
  Thread thread;
  ASSERT_TRUE(thread.Start([&, release] {
    release->Wait(kInfinite);
    current = thread.IsCurrent();
  }));
  EXPECT_FALSE(thread.Start([] {}));
  EXPECT_FALSE(thread.IsCurrent());

  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(thread.Join(200));
  EXPECT_GE(std::chrono::steady_clock::now() - start, ScaledDuration(200));
  EXPECT_FALSE(thread.HasEnded());

  release->Set();
  EXPECT_TRUE(thread.Join(GenerousWaitMs()));
  EXPECT_TRUE(thread.HasEnded());
  EXPECT_TRUE(current);
  EXPECT_TRUE(thread.Start([] {}));
  EXPECT_TRUE(thread.Join(GenerousWaitMs()));
}

// A body outliving its Thread (abandoned, or detached by the destructor) must not touch the
// Thread's memory; ASan catches it if it does.
class ThreadOutlivedTest : public testing::TestWithParam<bool> {};

TEST_P(ThreadOutlivedTest, BodyEndsSafelyAfterItsThreadIsGone) {
  auto release = std::make_shared<Event>(Event::ResetPolicy::kManual);
  auto finished = std::make_shared<Event>(Event::ResetPolicy::kManual);
  auto thread = std::make_unique<Thread>();
  ASSERT_TRUE(thread->Start([release, finished] {
    release->Wait(kInfinite);
    finished->Set();
  }));
  if (GetParam()) {
    thread->Abandon();
    EXPECT_TRUE(thread->Start([] {}));  // the object is free again
    EXPECT_TRUE(thread->Join(GenerousWaitMs()));
  }
  thread.reset();  // must not wait for the blocked body
  release->Set();
  EXPECT_TRUE(finished->Wait(GenerousWaitMs()));
}

INSTANTIATE_TEST_SUITE_P(Ways, ThreadOutlivedTest, testing::Bool());

}  // namespace
}  // namespace platform
