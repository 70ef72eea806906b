// The device manager's device-operation lock: re-entrant, held by every attach, detach, sleep and
// resume step, SIM evaluation and device information pass.
//
// The holder may call the vendor library's disconnect, which waits for a running vendor callback to
// return. A callback that then waited for this lock would never get it, so callbacks take the lock
// with LockForCallback, which gives up while the holder is inside that disconnect.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class DeviceOperationLock {
 public:
  DeviceOperationLock() = default;
  DeviceOperationLock(const DeviceOperationLock&) = delete;
  DeviceOperationLock& operator=(const DeviceOperationLock&) = delete;

  void lock();
  void unlock();

  // Takes the lock like lock(), or returns false without it once the holder is (or gets) inside the
  // library's disconnect.
  bool LockForCallback();

  // Marks the holder's library disconnect, waking the callbacks that wait for the lock. Only the
  // thread holding the lock may create one.
  class Disconnecting {
   public:
    explicit Disconnecting(DeviceOperationLock& lock);
    ~Disconnecting();
    Disconnecting(const Disconnecting&) = delete;
    Disconnecting& operator=(const Disconnecting&) = delete;

   private:
    DeviceOperationLock& lock_;
  };

 private:
  std::mutex stateLock_;
  std::condition_variable changed_;
  std::thread::id owner_;
  int depth_ = 0;
  int disconnecting_ = 0;
};
