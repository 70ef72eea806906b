#include "netutil/queue_timer.h"

#include "platform/clock.h"

CQueueTimer::CQueueTimer(platform::TimerCallback callback, void* context, bool longFunction) {
  std::lock_guard lock(lock_);
  platform::TimerHandle timer = 0;
  if (platform::CreateQueueTimer(&timer, callback, context, platform::kInfinite, platform::kInfinite,
                                 longFunction ? platform::kTimerLongFunction : 0)) {
    timer_ = timer;
    platform::Sleep(kCreationPauseMs);
  }
}

CQueueTimer::~CQueueTimer() {
  std::unique_lock lock(lock_);
  closeDone_.wait(lock, [this] { return !closing_; });
  if (timer_ != 0) {
    platform::DeleteQueueTimer(timer_, false);
  }
}

bool CQueueTimer::Start(uint32_t dueTimeMs, uint32_t periodMs) {
  std::lock_guard lock(lock_);
  if (timer_ == 0) {
    return false;
  }
  if (periodMs == 0 || periodMs == platform::kInfinite) {
    periodMs = kNeverPeriodMs;
  }
  return platform::ChangeQueueTimer(timer_, dueTimeMs, periodMs);
}

bool CQueueTimer::Stop() {
  std::lock_guard lock(lock_);
  if (timer_ == 0) {
    return false;
  }
  return platform::ChangeQueueTimer(timer_, platform::kInfinite, kNeverPeriodMs);
}

bool CQueueTimer::Close() {
  platform::TimerHandle timer;
  {
    std::unique_lock lock(lock_);
    // A second Close returns only when the first is done, so neither caller frees the context early.
    closeDone_.wait(lock, [this] { return !closing_; });
    if (timer_ == 0) {
      return true;
    }
    timer = timer_;
    timer_ = 0;
    closing_ = true;
  }
  // The wait for running callbacks happens without the lock: a callback re-arming its own timer
  // meanwhile gets false from Start instead of deadlocking against this wait.
  const bool deleted = platform::DeleteQueueTimer(timer, true);
  {
    std::lock_guard lock(lock_);
    if (!deleted) {
      timer_ = timer;
    }
    closing_ = false;
  }
  closeDone_.notify_all();
  return deleted;
}

bool CQueueTimer::IsValid() {
  std::lock_guard lock(lock_);
  return timer_ != 0;
}
