// A waitable event, manual or auto reset.
//
// Prefer a std::condition_variable where a predicate over shared state is what you wait for; an Event
// fits where a thread must wait for any of several signals with a time-out (queues, detach, stop).
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace platform {

class Event {
 public:
  enum class ResetPolicy { kManual, kAutomatic };

  explicit Event(ResetPolicy policy, bool initiallySignaled = false);
  ~Event();
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();

  // Waits up to ms of scaled time (kInfinite: no limit). True when signalled; an auto-reset event is
  // reset by the wait that sees it. Wait(0) tests without blocking.
  bool Wait(uint32_t ms);

  struct State;  // shared with waiters of WaitAny

 private:
  std::shared_ptr<State> state_;
  friend int WaitAny(std::span<Event* const> events, uint32_t ms);
};

// Waits until any of the events is signalled or ms of scaled time pass. Returns the index of the
// first signalled event (resetting it if it is auto-reset), or -1 on time-out.
int WaitAny(std::span<Event* const> events, uint32_t ms);

}  // namespace platform
