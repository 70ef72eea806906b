#include "sim/event_thread.h"

#include <algorithm>

namespace vesksim {

EventThread::~EventThread() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    stopping_ = true;
    queue_.clear();
  }
  queueChanged_.notify_all();
  if (thread_.joinable()) {
    thread_.join();
  }
}

void EventThread::Post(SteadyClock::time_point due, uint64_t tag, Action action) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (stopping_) {
      return;
    }
    // Only a new first entry changes what the thread waits for.
    wake = queue_.empty() || due < queue_.front().due;
    if (queue_.empty() || !(due < queue_.back().due)) {
      queue_.push_back(Entry{due, tag, std::move(action)});
    } else {
      const auto at = std::upper_bound(queue_.begin(), queue_.end(), due,
                                       [](SteadyClock::time_point t, const Entry& e) { return t < e.due; });
      queue_.insert(at, Entry{due, tag, std::move(action)});
    }
    if (!running_) {
      // The previous thread has left Run (it never takes the lock again), so this join is short.
      if (thread_.joinable()) {
        thread_.join();
      }
      running_ = true;
      thread_ = std::thread([this, sync = sync_]() mutable {
        Run();
        sync.reset();
      });
      threadId_ = thread_.get_id();
    }
  }
  if (wake) {
    queueChanged_.notify_all();
  }
}

void EventThread::Clear() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
    clears_.fetch_add(1, std::memory_order_release);
  }
  queueChanged_.notify_all();  // a thread waiting for a due time ends now
}

bool EventThread::IsCurrentThread() const {
  std::lock_guard<std::mutex> lock(queueLock_);
  return running_ && threadId_ == std::this_thread::get_id();
}

void EventThread::Run() {
  // Every action due at one look at the clock is taken under one lock and run outside it.
  std::unique_lock<std::mutex> lock(queueLock_);
  while (!stopping_) {
    if (queue_.empty()) {
      break;
    }
    const auto now = SteadyClock::now();
    // A copy: a Clear while the thread waits frees the entry, and the wait reads its time again.
    const SteadyClock::time_point due = queue_.front().due;
    if (now < due) {
      queueChanged_.wait_until(lock, due);
      continue;
    }
    // Local to the batch, so that a waiting thread holds no memory of an earlier one.
    std::vector<Entry> batch;
    while (!queue_.empty() && !(now < queue_.front().due)) {
      batch.push_back(std::move(queue_.front()));
      queue_.pop_front();
    }
    const uint64_t clears = clears_.load(std::memory_order_relaxed);
    // Actions call into the module, which may call back into the library and post again.
    lock.unlock();
    for (Entry& entry : batch) {
      // A Clear, or the end, drops the rest of the batch as it does the queue.
      if (stopping_.load(std::memory_order_acquire) || clears_.load(std::memory_order_acquire) != clears) {
        break;
      }
      runner_(entry.tag, entry.action);
    }
    batch.clear();  // the actions' captures go before the lock is taken again
    lock.lock();
  }
  running_ = false;
}

}  // namespace vesksim
