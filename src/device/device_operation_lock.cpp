#include "device/device_operation_lock.h"

void DeviceOperationLock::lock() {
  std::unique_lock state(stateLock_);
  const std::thread::id self = std::this_thread::get_id();
  changed_.wait(state, [&] { return depth_ == 0 || owner_ == self; });
  owner_ = self;
  ++depth_;
}

bool DeviceOperationLock::LockForCallback() {
  std::unique_lock state(stateLock_);
  const std::thread::id self = std::this_thread::get_id();
  changed_.wait(state, [&] { return depth_ == 0 || owner_ == self || disconnecting_ > 0; });
  if (depth_ > 0 && owner_ != self) {
    return false;
  }
  owner_ = self;
  ++depth_;
  return true;
}

void DeviceOperationLock::unlock() {
  std::lock_guard state(stateLock_);
  if (--depth_ == 0) {
    owner_ = std::thread::id();
    changed_.notify_all();
  }
}

DeviceOperationLock::Disconnecting::Disconnecting(DeviceOperationLock& lock) : lock_(lock) {
  std::lock_guard state(lock_.stateLock_);
  ++lock_.disconnecting_;
  lock_.changed_.notify_all();
}

DeviceOperationLock::Disconnecting::~Disconnecting() {
  std::lock_guard state(lock_.stateLock_);
  --lock_.disconnecting_;
}
