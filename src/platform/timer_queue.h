// The process-wide timer queue, with the semantics of a Windows timer-queue timer that the module
// relies on:
//  - a due time of 0 fires at once; kInfinite never fires (the timer is disarmed but stays valid);
//  - a period of 0 fires once; any other period re-fires every period ms after each expiry;
//  - callbacks run on pool threads, so expiries of different timers and successive expiries of one
//    periodic timer can overlap (a slow callback does not delay the next expiry);
//  - Change re-arms or disarms; it may be called from the timer's own callback;
//  - Delete can wait for every running callback of the timer to return; called from that timer's own
//    callback it does not wait for itself.
// Nothing polls: a dispatcher sleeps until the next due time, idle pool threads sleep until work.
// All times are scaled milliseconds (platform clock).
#pragma once

#include <cstdint>

namespace platform {

using TimerCallback = void (*)(void* context, bool timerFired);
using TimerHandle = uint64_t;  // 0 is never a valid handle

// Windows' long-function hint; accepted and ignored, since the pool always grows when all threads
// are busy.
inline constexpr uint32_t kTimerLongFunction = 0x10;

// Creates a timer; false (handle 0) if it could not be created.
bool CreateQueueTimer(TimerHandle* handle, TimerCallback callback, void* context, uint32_t dueMs,
                      uint32_t periodMs, uint32_t flags);

// Re-arms (or with dueMs kInfinite disarms) a timer. False for an unknown handle.
bool ChangeQueueTimer(TimerHandle handle, uint32_t dueMs, uint32_t periodMs);

// Deletes a timer: no expiry starts afterwards. With waitForCallbacks, returns only once every
// running callback of the timer has returned (except the caller's own, if called from one).
// False for an unknown handle.
bool DeleteQueueTimer(TimerHandle handle, bool waitForCallbacks);

// Timer callbacks started since the process began: the wake-ups the timers cost, for idle checks.
uint64_t QueueTimerDispatchCount();

}  // namespace platform
