// The simulator's one callback thread: a queue of timed actions run in due-time order (actions due
// at the same time run in the order they were posted). Every call into the module's callbacks
// happens on this thread, as a vendor library's own thread would make it.
//
// The thread starts with the first posted action and is joined by the destructor; actions still
// queued then are dropped unrun.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
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

  mutable std::mutex queueLock_;
  std::condition_variable queueChanged_;
  std::multimap<SteadyClock::time_point, Action> queue_;
  std::thread thread_;
  std::thread::id threadId_;
  bool stopping_ = false;
};

}  // namespace vesksim
