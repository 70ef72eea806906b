#include "sim/event_thread.h"

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

void EventThread::Post(SteadyClock::time_point due, Action action) {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    if (stopping_) {
      return;
    }
    // multimap keeps equal keys in insertion order, which gives same-time actions their post order.
    queue_.emplace(due, std::move(action));
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
  queueChanged_.notify_all();
}

void EventThread::Clear() {
  {
    std::lock_guard<std::mutex> lock(queueLock_);
    queue_.clear();
  }
  queueChanged_.notify_all();  // a thread waiting for a due time ends now
}

bool EventThread::IsCurrentThread() const {
  std::lock_guard<std::mutex> lock(queueLock_);
  return running_ && threadId_ == std::this_thread::get_id();
}

void EventThread::Run() {
  std::unique_lock<std::mutex> lock(queueLock_);
  while (!stopping_) {
    if (queue_.empty()) {
      break;
    }
    const auto due = queue_.begin()->first;
    if (SteadyClock::now() < due) {
      queueChanged_.wait_until(lock, due);
      continue;
    }
    Action action = std::move(queue_.begin()->second);
    queue_.erase(queue_.begin());
    // Actions call into the module, which may call back into the library and post again.
    lock.unlock();
    action();
    lock.lock();
  }
  running_ = false;
}

}  // namespace vesksim
