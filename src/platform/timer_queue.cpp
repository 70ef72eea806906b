#include "platform/timer_queue.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "platform/thread.h"

namespace platform {
namespace {

using SteadyClock = std::chrono::steady_clock;

// A runaway periodic timer whose callbacks never return must not exhaust the process's threads;
// past this many, expiries wait for a free pool thread.
constexpr std::size_t kMaxPoolThreads = 64;

// How long the process-exit teardown waits for a callback still running before abandoning it.
constexpr uint32_t kExitJoinMs = 5000;

std::atomic<uint64_t> gDispatches{0};

struct Timer;
using Schedule = std::multimap<SteadyClock::time_point, std::shared_ptr<Timer>>;

struct Timer {
  Timer(TimerCallback cb, void* ctx) : callback(cb), context(ctx) {}

  const TimerCallback callback;
  void* const context;
  uint32_t periodMs = 0;
  bool deleted = false;
  int running = 0;  // callbacks in progress
  std::optional<Schedule::iterator> scheduled;
};

struct QueueThread {
  Thread thread;
  bool busy = false;  // running a callback
};

// The timer a pool thread is running the callback of, so that Delete from inside it does not wait
// for itself.
thread_local const Timer* tRunningTimer = nullptr;

// Threads run only while timers exist: the last Delete ends and joins them, and the next Create
// starts them again, so that a library holding this queue can be unloaded once its timers are gone.
// Each start is an epoch; a thread ends as soon as the epoch it was started for is over.
class Core : public std::enable_shared_from_this<Core> {
 public:
  bool Create(TimerHandle* handle, TimerCallback callback, void* context, uint32_t dueMs, uint32_t periodMs);
  bool Change(TimerHandle handle, uint32_t dueMs, uint32_t periodMs);
  bool Delete(TimerHandle handle, bool waitForCallbacks);
  void EndAtExit();

 private:
  using Threads = std::vector<std::shared_ptr<QueueThread>>;

  void ArmLocked(const std::shared_ptr<Timer>& timer, uint32_t dueMs, uint32_t periodMs);
  void DisarmLocked(Timer& timer);
  void HandOutLocked();
  void EndThreadsLocked(Threads& toJoin);
  void DispatcherLoop(uint64_t epoch);
  void PoolLoop(uint64_t epoch, const std::shared_ptr<QueueThread>& self);

  std::mutex queueLock_;
  std::condition_variable scheduleChanged_;
  std::condition_variable expiryQueued_;
  std::condition_variable callbackEnded_;
  std::unordered_map<TimerHandle, std::shared_ptr<Timer>> timers_;
  Schedule schedule_;
  std::deque<std::shared_ptr<Timer>> expiries_;  // due, waiting for a pool thread
  TimerHandle nextHandle_ = 1;
  uint64_t epoch_ = 0;
  bool threadsRunning_ = false;
  std::size_t idle_ = 0;  // pool threads of this epoch waiting for an expiry
  std::shared_ptr<QueueThread> dispatcher_;
  Threads pool_;
  Threads retiring_;  // of earlier epochs, still inside a callback when their epoch ended
};

bool Core::Create(TimerHandle* handle, TimerCallback callback, void* context, uint32_t dueMs,
                  uint32_t periodMs) {
  Threads finished;
  std::unique_lock<std::mutex> guard(queueLock_);
  if (!threadsRunning_) {
    auto ended = std::partition(retiring_.begin(), retiring_.end(),
                                [](const auto& t) { return !t->thread.HasEnded(); });
    finished.assign(ended, retiring_.end());
    retiring_.erase(ended, retiring_.end());
    auto dispatcher = std::make_shared<QueueThread>();
    if (!dispatcher->thread.Start(
            [core = shared_from_this(), epoch = epoch_] { core->DispatcherLoop(epoch); })) {
      return false;
    }
    dispatcher_ = std::move(dispatcher);
    threadsRunning_ = true;
  }
  auto timer = std::make_shared<Timer>(callback, context);
  const TimerHandle id = nextHandle_++;
  timers_.emplace(id, timer);
  ArmLocked(timer, dueMs, periodMs);
  *handle = id;
  guard.unlock();
  for (const auto& t : finished) {
    t->thread.Join(kInfinite);
  }
  return true;
}

bool Core::Change(TimerHandle handle, uint32_t dueMs, uint32_t periodMs) {
  std::lock_guard<std::mutex> guard(queueLock_);
  const auto found = timers_.find(handle);
  if (found == timers_.end()) {
    return false;
  }
  ArmLocked(found->second, dueMs, periodMs);
  return true;
}

bool Core::Delete(TimerHandle handle, bool waitForCallbacks) {
  Threads toJoin;
  {
    std::unique_lock<std::mutex> guard(queueLock_);
    const auto found = timers_.find(handle);
    if (found == timers_.end()) {
      return false;
    }
    const std::shared_ptr<Timer> timer = found->second;
    timers_.erase(found);
    timer->deleted = true;
    DisarmLocked(*timer);
    std::erase(expiries_, timer);
    if (waitForCallbacks) {
      const int own = tRunningTimer == timer.get() ? 1 : 0;
      callbackEnded_.wait(guard, [&] { return timer->running <= own; });
    }
    if (timers_.empty() && threadsRunning_) {
      EndThreadsLocked(toJoin);
    }
  }
  // Only idle threads are joined here: they end at once, and none of them is the caller.
  for (const auto& t : toJoin) {
    t->thread.Join(kInfinite);
  }
  return true;
}

void Core::EndAtExit() {
  Threads toJoin;
  {
    std::lock_guard<std::mutex> guard(queueLock_);
    for (auto& [id, timer] : timers_) {
      timer->deleted = true;
      timer->scheduled.reset();
    }
    timers_.clear();
    schedule_.clear();
    if (threadsRunning_) {
      EndThreadsLocked(toJoin);
    }
    toJoin.insert(toJoin.end(), retiring_.begin(), retiring_.end());
    retiring_.clear();
  }
  // A callback that does not return in time is left running rather than blocking the exit.
  for (const auto& t : toJoin) {
    if (t->thread.IsCurrent() || !t->thread.Join(kExitJoinMs)) {
      t->thread.Abandon();
    }
  }
}

void Core::ArmLocked(const std::shared_ptr<Timer>& timer, uint32_t dueMs, uint32_t periodMs) {
  DisarmLocked(*timer);
  timer->periodMs = periodMs;
  if (dueMs == kInfinite) {
    return;
  }
  // Due times are fixed in real time when armed; a later change of the time scale does not move them.
  timer->scheduled = schedule_.emplace(SteadyClock::now() + ScaledDuration(dueMs), timer);
  if (timer->scheduled == schedule_.begin()) {
    scheduleChanged_.notify_one();
  }
}

void Core::DisarmLocked(Timer& timer) {
  if (timer.scheduled) {
    schedule_.erase(*timer.scheduled);
    timer.scheduled.reset();
  }
}

void Core::HandOutLocked() {
  // Grow whenever more expiries wait than threads are idle, so a slow callback delays nothing.
  while (expiries_.size() > idle_ && pool_.size() < kMaxPoolThreads) {
    auto worker = std::make_shared<QueueThread>();
    if (!worker->thread.Start(
            [core = shared_from_this(), epoch = epoch_, worker] { core->PoolLoop(epoch, worker); })) {
      break;  // a busy thread takes the expiry when it is free
    }
    pool_.push_back(std::move(worker));
    ++idle_;  // counts as a taker until it runs; it does not wait while an expiry is queued
  }
  for (std::size_t i = 0; i < expiries_.size(); ++i) {
    expiryQueued_.notify_one();
  }
}

void Core::EndThreadsLocked(Threads& toJoin) {
  ++epoch_;
  threadsRunning_ = false;
  idle_ = 0;
  expiries_.clear();
  toJoin.push_back(std::move(dispatcher_));
  for (auto& t : pool_) {
    (t->busy ? retiring_ : toJoin).push_back(std::move(t));
  }
  pool_.clear();
  scheduleChanged_.notify_all();
  expiryQueued_.notify_all();
}

void Core::DispatcherLoop(uint64_t epoch) {
  std::unique_lock<std::mutex> guard(queueLock_);
  while (epoch_ == epoch) {
    if (schedule_.empty()) {
      scheduleChanged_.wait(guard);
      continue;
    }
    const SteadyClock::time_point now = SteadyClock::now();
    const SteadyClock::time_point first = schedule_.begin()->first;
    if (first > now) {
      scheduleChanged_.wait_until(guard, first);
      continue;
    }
    while (!schedule_.empty() && schedule_.begin()->first <= now) {
      auto node = schedule_.extract(schedule_.begin());
      std::shared_ptr<Timer> timer = std::move(node.mapped());
      timer->scheduled.reset();
      // A period of kInfinite (49.7 days) is treated as a single expiry.
      if (timer->periodMs != 0 && timer->periodMs != kInfinite) {
        const SteadyClock::duration period = ScaledDuration(timer->periodMs);
        // Keep the cadence, but do not fire a burst to catch up after a long stall.
        SteadyClock::time_point next = node.key() + period;
        if (next <= now) {
          next = now + period;
        }
        timer->scheduled = schedule_.emplace(next, timer);
      }
      expiries_.push_back(std::move(timer));
    }
    HandOutLocked();
  }
}

void Core::PoolLoop(uint64_t epoch, const std::shared_ptr<QueueThread>& self) {
  std::unique_lock<std::mutex> guard(queueLock_);
  if (epoch_ != epoch) {
    return;  // ended before it began; the idle count was already reset
  }
  --idle_;  // counted as idle from its start until it looks for work
  while (epoch_ == epoch) {
    if (expiries_.empty()) {
      ++idle_;
      expiryQueued_.wait(guard);
      if (epoch_ != epoch) {
        break;  // the idle count was reset when the epoch ended
      }
      --idle_;
      continue;
    }
    const std::shared_ptr<Timer> timer = std::move(expiries_.front());
    expiries_.pop_front();
    ++timer->running;
    self->busy = true;
    guard.unlock();
    tRunningTimer = timer.get();
    gDispatches.fetch_add(1, std::memory_order_relaxed);
    timer->callback(timer->context, true);
    tRunningTimer = nullptr;
    guard.lock();
    self->busy = false;
    // A Delete from inside another callback of this timer waits for the count to reach its own
    // share (1), not 0: once the timer is deleted every end may be the one it waits for.
    --timer->running;
    if (timer->deleted) {
      callbackEnded_.notify_all();
    }
  }
}

// Ends the threads at process exit or library unload if timers were never deleted.
struct QueueHolder {
  std::shared_ptr<Core> core = std::make_shared<Core>();
  ~QueueHolder() { core->EndAtExit(); }
};

Core& Queue() {
  static QueueHolder holder;
  return *holder.core;
}

}  // namespace

bool CreateQueueTimer(TimerHandle* handle, TimerCallback callback, void* context, uint32_t dueMs,
                      uint32_t periodMs, uint32_t /*flags*/) {
  if (handle == nullptr) {
    return false;
  }
  *handle = 0;
  if (callback == nullptr) {
    return false;
  }
  return Queue().Create(handle, callback, context, dueMs, periodMs);
}

bool ChangeQueueTimer(TimerHandle handle, uint32_t dueMs, uint32_t periodMs) {
  return Queue().Change(handle, dueMs, periodMs);
}

bool DeleteQueueTimer(TimerHandle handle, bool waitForCallbacks) {
  return Queue().Delete(handle, waitForCallbacks);
}

uint64_t QueueTimerDispatchCount() {
  return gDispatches.load(std::memory_order_relaxed);
}

}  // namespace platform
