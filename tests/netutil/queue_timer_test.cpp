#include "netutil/queue_timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>

#include "netutil/member_timer.h"
#include "netutil/scaled_time.h"

namespace netutil_test {
namespace {

// The owner of a member timer; each test gives its callback the behaviour it needs.
struct Owner {
  std::unique_ptr<CMemberTimer<Owner>> timer =
      std::make_unique<CMemberTimer<Owner>>(this, &Owner::OnTimer, true, 7);
  std::function<void(Owner&)> onTimer;
  std::atomic<int> fired{0};
  EventPtr firedEvent = std::make_shared<platform::Event>(platform::Event::ResetPolicy::kAutomatic);

  void OnTimer(uint32_t argument) {
    EventPtr signal = firedEvent;  // the callback may destroy the timer, and the test then the owner
    EXPECT_EQ(argument, 7u);
    ++fired;
    if (onTimer) {
      onTimer(*this);
    }
    signal->Set();
  }
};

class TeardownTest : public Scaled<testing::TestWithParam<bool>> {};

TEST_P(TeardownTest, WaitsForRunningCallback) {
  const bool destroy = GetParam();
  Owner owner;
  EventPtr entered = NewEvent();
  std::atomic<bool> returned{false};
  owner.onTimer = [&](Owner&) {
    entered->Set();
    platform::Sleep(2000);
    returned = true;
  };
  ASSERT_TRUE(owner.timer->Start(0, 0));
  ASSERT_TRUE(entered->Wait(kTimeoutMs));
  if (destroy) {
    owner.timer.reset();
  } else {
    EXPECT_TRUE(owner.timer->Close());
    EXPECT_FALSE(owner.timer->Start(0, 0));
    EXPECT_FALSE(owner.timer->Stop());
  }
  EXPECT_TRUE(returned);
}

INSTANTIATE_TEST_SUITE_P(CloseOrDestroy, TeardownTest, testing::Bool());

class QueueTimerTest : public Scaled<> {};

TEST_F(QueueTimerTest, CloseEndsACallbackThatKeepsRearmingItsTimer) {
  Owner owner;
  EventPtr third = NewEvent();
  owner.onTimer = [third](Owner& self) {
    if (self.fired == 3) {
      third->Set();
      platform::Sleep(2000);  // Close is now waiting for this callback, which re-arms meanwhile
    }
    self.timer->Start(50, 0);
  };
  ASSERT_TRUE(owner.timer->Start(0, 0));
  ASSERT_TRUE(third->Wait(kTimeoutMs));
  EXPECT_TRUE(owner.timer->Close());
  EXPECT_EQ(owner.fired, 3);
}

// Expiries of a periodic timer overlap; each closing the timer must not wait for the other.
TEST_F(QueueTimerTest, OverlappingExpiriesMayBothCloseTheirTimer) {
  auto* owner = new Owner;  // left alive if the two closes hold each other, so the test can end
  auto entered = std::make_shared<std::atomic<int>>(0), closed = std::make_shared<std::atomic<int>>(0);
  EventPtr secondEntered = NewEvent(), bothClosed = NewEvent();
  owner->onTimer = [=](Owner& self) {
    const int expiry = ++*entered;
    if (expiry == 1) {
      secondEntered->Wait(kTimeoutMs);  // held until the next expiry runs beside it
    } else if (expiry == 2) {
      secondEntered->Set();
    } else {
      return;
    }
    EXPECT_TRUE(self.timer->Close());
    if (++*closed == 2) {
      bothClosed->Set();
    }
  };
  ASSERT_TRUE(owner->timer->Start(0, 50));
  ASSERT_TRUE(bothClosed->Wait(kTimeoutMs));
  EXPECT_FALSE(owner->timer->Start(0, 0));
  delete owner;
}

TEST_F(QueueTimerTest, OwnerMayDestroyTimerFromItsCallback) {
  Owner owner;
  owner.onTimer = [](Owner& self) { self.timer.reset(); };
  ASSERT_TRUE(owner.timer->Start(0, 0));
  ASSERT_TRUE(owner.firedEvent->Wait(kTimeoutMs));
  EXPECT_EQ(owner.timer, nullptr);
}

}  // namespace
}  // namespace netutil_test
