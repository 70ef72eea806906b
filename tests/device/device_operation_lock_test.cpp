// The device-operation lock: re-entrant for its holder, and abandoned by a vendor callback while the
// holder is inside the library's disconnect (which waits for that callback).
#include "device/device_operation_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>

namespace {

constexpr auto kWait = std::chrono::seconds(10);
// How long a waiter that must stay blocked is given to get through anyway.
constexpr auto kBlockedWindow = std::chrono::milliseconds(200);

// The holder runs on a thread of its own, so that a lock blocking its own holder fails the test.
TEST(DeviceOperationLockTest, HolderReentersAndOthersWaitForTheLastRelease) {
  DeviceOperationLock lock;
  std::promise<void> entered, releaseOne, releasedOne, releaseAll;
  auto holder = std::async(std::launch::async, [&] {
    lock.lock();
    lock.lock();
    const bool callback = lock.LockForCallback();  // a vendor callback on the holder's own thread
    entered.set_value();
    releaseOne.get_future().wait();
    lock.unlock();
    lock.unlock();
    releasedOne.set_value();
    releaseAll.get_future().wait();
    if (callback) {
      lock.unlock();
    }
    return callback;
  });
  ASSERT_EQ(entered.get_future().wait_for(kWait), std::future_status::ready) << "the holder blocked itself";
  auto other = std::async(std::launch::async, [&] {
    lock.lock();
    lock.unlock();
  });
  releaseOne.set_value();
  releasedOne.get_future().wait();
  EXPECT_EQ(other.wait_for(kBlockedWindow), std::future_status::timeout);
  releaseAll.set_value();
  EXPECT_TRUE(holder.get());
  EXPECT_EQ(other.wait_for(kWait), std::future_status::ready);
}

enum class Holder { kReleases, kDisconnectsThenWaits, kAlreadyDisconnecting };

struct CallbackRow {
  const char* label;
  Holder holder;
  bool callbackGetsTheLock;
};

class LockForCallbackTest : public testing::TestWithParam<CallbackRow> {};

TEST_P(LockForCallbackTest, CallbackGetsTheLockUnlessTheHolderIsDisconnecting) {
  const CallbackRow& row = GetParam();
  DeviceOperationLock lock;
  lock.lock();
  std::optional<DeviceOperationLock::Disconnecting> disconnecting;
  if (row.holder == Holder::kAlreadyDisconnecting) {
    disconnecting.emplace(lock);
  }
  std::promise<void> asking;
  auto callback = std::async(std::launch::async, [&] {
    asking.set_value();
    const bool locked = lock.LockForCallback();
    if (locked) {
      lock.unlock();
    }
    return locked;
  });
  asking.get_future().wait();
  if (row.holder == Holder::kReleases) {
    EXPECT_EQ(callback.wait_for(kBlockedWindow), std::future_status::timeout);
  } else {
    // The library's disconnect waits for the callback; the callback must give up first.
    if (!disconnecting) {
      disconnecting.emplace(lock);
    }
    ASSERT_EQ(callback.wait_for(kWait), std::future_status::ready);
  }
  disconnecting.reset();
  lock.unlock();
  ASSERT_EQ(callback.wait_for(kWait), std::future_status::ready);
  EXPECT_EQ(callback.get(), row.callbackGetsTheLock);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LockForCallbackTest,
    testing::Values(CallbackRow{"HolderReleases", Holder::kReleases, true},
                    CallbackRow{"HolderStartsDisconnecting", Holder::kDisconnectsThenWaits, false},
                    CallbackRow{"HolderAlreadyDisconnecting", Holder::kAlreadyDisconnecting, false}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
