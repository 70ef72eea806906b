// This file must contain only Win32 code.
#include "platform/timer_queue.h"

#include <windows.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/clock.h"
#include "platform/win32/win32_error.h"

namespace platform {
namespace {

// Timers of the process's default timer queue. The system's own timer is always periodic: a
// one-shot timer that has expired can no longer be changed, so a single expiry is ours to keep
// (later ones are dropped) and the system timer stays changeable for its whole life.
constexpr DWORD kLongPeriod = INFINITE - 1;  // 49.7 days: the period of a "one-shot" system timer

std::atomic<uint64_t> gDispatches{0};

struct Timer {
  HANDLE system = nullptr;
  TimerCallback callback = nullptr;
  void* context = nullptr;
  bool armed = false;
  bool periodic = false;
  int running = 0;  // callbacks in progress
};

// The system passes the handle number, never a pointer: an expiry that was queued before its timer
// was deleted finds no timer and does nothing.
std::mutex gLock;
std::condition_variable gCallbackEnded;
std::unordered_map<TimerHandle, std::shared_ptr<Timer>> gTimers;
TimerHandle gNextHandle = 1;

// The timer a thread is running the callback of, so that Delete from inside it does not wait for
// itself (the system's own waiting delete would deadlock there).
thread_local const Timer* tRunningTimer = nullptr;

void CALLBACK Expired(void* parameter, BOOLEAN /*timerFired*/) {
  const TimerHandle handle = reinterpret_cast<uintptr_t>(parameter);
  std::shared_ptr<Timer> timer;
  {
    std::lock_guard<std::mutex> guard(gLock);
    const auto found = gTimers.find(handle);
    if (found == gTimers.end() || !found->second->armed) {
      return;
    }
    timer = found->second;
    timer->armed = timer->periodic;
    ++timer->running;
  }
  const Timer* const outer = tRunningTimer;
  tRunningTimer = timer.get();
  gDispatches.fetch_add(1, std::memory_order_relaxed);
  timer->callback(timer->context, true);
  tRunningTimer = outer;
  std::lock_guard<std::mutex> guard(gLock);
  --timer->running;
  gCallbackEnded.notify_all();
}

// The system's due time and period for scaled ones.
void SystemTimes(uint32_t dueMs, uint32_t periodMs, DWORD* due, DWORD* period, bool* periodic) {
  *due = dueMs == kInfinite ? INFINITE : win32::RealMs(dueMs);
  // A period of kInfinite (49.7 days) is treated as a single expiry.
  *periodic = periodMs != 0 && periodMs != kInfinite;
  *period = *periodic ? win32::RealMs(periodMs) : kLongPeriod;
  if (*period == 0) {
    *period = 1;
  }
}

}  // namespace

bool CreateQueueTimer(TimerHandle* handle, TimerCallback callback, void* context, uint32_t dueMs,
                      uint32_t periodMs, uint32_t flags) {
  if (handle == nullptr) {
    return false;
  }
  *handle = 0;
  if (callback == nullptr) {
    return false;
  }
  auto timer = std::make_shared<Timer>();
  timer->callback = callback;
  timer->context = context;
  DWORD due = 0, period = 0;
  SystemTimes(dueMs, periodMs, &due, &period, &timer->periodic);
  timer->armed = dueMs != kInfinite;
  // Held while the system timer is created, so that its first expiry finds it in the table.
  std::lock_guard<std::mutex> guard(gLock);
  const TimerHandle id = gNextHandle++;
  if (!CreateTimerQueueTimer(&timer->system, nullptr, &Expired, reinterpret_cast<void*>(static_cast<uintptr_t>(id)),
                             due, period, WT_EXECUTEDEFAULT | (flags & kTimerLongFunction))) {
    return false;
  }
  gTimers.emplace(id, std::move(timer));
  *handle = id;
  return true;
}

bool ChangeQueueTimer(TimerHandle handle, uint32_t dueMs, uint32_t periodMs) {
  std::lock_guard<std::mutex> guard(gLock);
  const auto found = gTimers.find(handle);
  if (found == gTimers.end()) {
    return false;
  }
  Timer& timer = *found->second;
  DWORD due = 0, period = 0;
  SystemTimes(dueMs, periodMs, &due, &period, &timer.periodic);
  timer.armed = dueMs != kInfinite;
  // Under the lock, so that a Delete cannot release the system timer meanwhile; the change never
  // waits for a callback.
  return ChangeTimerQueueTimer(nullptr, timer.system, due, period) != FALSE;
}

bool DeleteQueueTimer(TimerHandle handle, bool waitForCallbacks) {
  std::shared_ptr<Timer> timer;
  {
    std::lock_guard<std::mutex> guard(gLock);
    const auto found = gTimers.find(handle);
    if (found == gTimers.end()) {
      return false;
    }
    timer = std::move(found->second);
    gTimers.erase(found);  // from here on no expiry starts a callback
  }
  const bool own = tRunningTimer == timer.get();
  if (waitForCallbacks && !own) {
    // INVALID_HANDLE_VALUE: returns once every callback of the timer has returned.
    DeleteTimerQueueTimer(nullptr, timer->system, INVALID_HANDLE_VALUE);
  } else {
    // Marks the system timer for deletion without waiting (ERROR_IO_PENDING: callbacks still run).
    DeleteTimerQueueTimer(nullptr, timer->system, nullptr);
  }
  if (waitForCallbacks) {
    // The callbacks that had already started: all of them, or all but the caller's own.
    std::unique_lock<std::mutex> guard(gLock);
    gCallbackEnded.wait(guard, [&] { return timer->running <= (own ? 1 : 0); });
  }
  return true;
}

uint64_t QueueTimerDispatchCount() {
  return gDispatches.load(std::memory_order_relaxed);
}

}  // namespace platform
