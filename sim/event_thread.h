// The simulator's one callback thread: a queue of timed actions run in due-time order (actions due
// at the same time run in the order they were posted). Every call into the module's callbacks
// happens on this thread, as a vendor library's own thread would make it.
//
// The thread starts with the first posted action and ends when nothing is left to run; the next Post
// starts another. So a library unload (on Windows under the loader lock, where no thread could end)
// finds no thread when nothing is scheduled. The destructor joins a thread that still runs; actions
// still queued then are dropped unrun.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "sim/sim_clock.h"

namespace vesksim {

class Simulator;

class EventThread {
 public:
  // A call into the module, made by the runner after the action.
  using Invocation = std::function<void()>;
  // A change of the model; may return an invocation.
  using Action = std::function<Invocation(Simulator&)>;
  // Runs one due action, given with the tag it was posted with.
  using Runner = std::function<void(uint64_t tag, Action& action)>;

  explicit EventThread(Runner runner) : runner_(std::move(runner)) {}
  ~EventThread();
  EventThread(const EventThread&) = delete;
  EventThread& operator=(const EventThread&) = delete;

  void Post(SteadyClock::time_point due, uint64_t tag, Action action);

  // Drops every queued action; an action already running finishes.
  void Clear();

  bool IsCurrentThread() const;

 private:
  struct Entry {
    SteadyClock::time_point due;
    uint64_t tag;
    Action action;
  };

  void Run();

  const Runner runner_;
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
  // Sorted by due time, equal times in post order. Most actions are due at once and go to the back;
  // one due before a pending later one is inserted in front of those.
  std::deque<Entry> queue_;
  std::thread thread_;
  std::thread::id threadId_;
  // Read by the thread between the actions of a batch it has taken out of the queue.
  std::atomic<bool> stopping_{false};
  std::atomic<uint64_t> clears_{0};
  bool running_ = false;  // a thread is inside Run
};

}  // namespace vesksim
