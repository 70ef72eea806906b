// The device-operation lock: re-entrant for its holder, and abandoned by a vendor callback while the
// holder is inside the library's disconnect (which waits for that callback).
#include "device/device_operation_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <optional>
#include <string>
#include <thread>

namespace {

constexpr auto kWait = std::chrono::seconds(10);
// How long a waiter that must stay blocked is given to get through anyway.
constexpr auto kBlockedWindow = std::chrono::milliseconds(200);

TEST(DeviceOperationLockTest, HolderReentersAndOthersWaitForTheLastRelease) {
  DeviceOperationLock lock;
  lock.lock();
  lock.lock();
  auto other = std::async(std::launch::async, [&] {
    lock.lock();
    lock.unlock();
  });
  lock.unlock();
  EXPECT_EQ(other.wait_for(kBlockedWindow), std::future_status::timeout);
  lock.unlock();
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
