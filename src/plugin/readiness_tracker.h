// Derives the two readiness notifications (initialisation complete, ready to connect) from the stream
// of notifications the plug-in posts. Thread-safe; its lock is held only during an update.
#pragma once

#include <cstdint>
#include <mutex>

class CReadinessTracker {
 public:
  // Result bits of Update.
  static constexpr uint32_t kRaiseInitComplete = 0x1;
  static constexpr uint32_t kRaiseReadyToConnect = 0x2;

  // Takes one posted notification into account; returns which derived notifications to raise now.
  uint32_t Update(int32_t code, uintptr_t param1);

 private:
  enum ReadyState : uint32_t {
    kNothingSeen = 0,
    kDeviceInfoReadySeen = 1,
    kUsableServiceSeen = 2,
    kReadyToConnectReached = 3,
  };

  void RaiseInit();

  std::mutex lock_;
  uint32_t initComplete_ = 0;
  uint32_t readyState_ = kNothingSeen;
  uint32_t result_ = 0;
};
