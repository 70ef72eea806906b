#include "netutil/queue_timer.h"

#include "platform/clock.h"

namespace {

// The timer whose callback this thread is running, if any.
thread_local const CQueueTimer* tRunningTimer = nullptr;

}  // namespace

CQueueTimer::CQueueTimer(platform::TimerCallback callback, void* context, bool longFunction)
    : callback_(callback), context_(context) {
  std::lock_guard lock(lock_);
  platform::TimerHandle timer = 0;
  if (platform::CreateQueueTimer(&timer, &CQueueTimer::Dispatch, this, platform::kInfinite, platform::kInfinite,
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
    // A second Close returns only when the first is done, so neither caller frees the context early;
    // except a callback of this timer, which the first Close is waiting for: waiting in turn would
    // hold both for ever. The timer is as good as gone for it.
    closeDone_.wait(lock, [this] { return !closing_ || tRunningTimer == this; });
    if (closing_ || timer_ == 0) {
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

void CQueueTimer::Dispatch(void* self, bool timerFired) {
  const CQueueTimer* timer = static_cast<const CQueueTimer*>(self);
  const CQueueTimer* outer = tRunningTimer;
  tRunningTimer = timer;
  // The callback may destroy this timer (its owner's own callback may): nothing here reads it after.
  timer->callback_(timer->context_, timerFired);
  tRunningTimer = outer;
}

bool CQueueTimer::IsValid() {
  std::lock_guard lock(lock_);
  return timer_ != 0;
}
