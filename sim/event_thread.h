// The simulator's one callback thread: a queue of timed actions run in due-time order (actions due
// at the same time run in the order they were posted). Every call into the module's callbacks
// happens on this thread, as a vendor library's own thread would make it.
//
// The thread starts with the first posted action and ends when nothing is left to run; the next Post
// starts another. So a library unload (on Windows under the loader lock, where no thread could end)
// finds no thread when nothing is scheduled. The destructor joins a thread that still runs; actions
// still queued then are dropped unrun.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>

#include "sim/sim_clock.h"

namespace vesksim {

class EventThread {
 public:
  using Action = std::function<void()>;

  EventThread() = default;
  ~EventThread();
  EventThread(const EventThread&) = delete;
  EventThread& operator=(const EventThread&) = delete;

  void Post(SteadyClock::time_point due, Action action);

  // Drops every queued action; an action already running finishes.
  void Clear();

  bool IsCurrentThread() const;

 private:
  void Run();

  // Shared with the thread: a thread that the system ended at process exit (as Windows does before it
  // unloads the library) still counts as a waiter of the condition variable, whose destruction would
  // then never return, so the thread's share keeps both alive.
  struct Sync {
    std::mutex lock;
    std::condition_variable changed;
  };
  const std::shared_ptr<Sync> sync_ = std::make_shared<Sync>();
  std::mutex& queueLock_ = sync_->lock;
  std::condition_variable& queueChanged_ = sync_->changed;
  std::multimap<SteadyClock::time_point, Action> queue_;
  std::thread thread_;
  std::thread::id threadId_;
  bool stopping_ = false;
  bool running_ = false;  // a thread is inside Run
};

}  // namespace vesksim
