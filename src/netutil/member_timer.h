// A CQueueTimer that calls a member function of its owner with a fixed 32-bit argument.
//
// The binding (target, function, argument) is the timer's callback context and is owned by this
// object. Because a bare CQueueTimer is deleted without waiting for running callbacks, the destructor
// first Closes the timer, which waits for every running callback; the timer queue does not wait for
// the calling callback itself, so the owner may also destroy the timer from its own callback. Either
// way no callback can reach the binding once it is freed (the thunk does not touch it after the call).
// The cost: destroying a timer whose callback is running blocks until that callback returns, so the
// owner must not hold a lock the callback needs while destroying it.
#pragma once

#include <cstdint>

#include "netutil/queue_timer.h"

template <class T>
class CMemberTimer {
 public:
  using Function = void (T::*)(uint32_t);

  CMemberTimer(T* target, Function function, bool longFunction = false, uint32_t argument = 0)
      : binding_{target, function, argument}, timer_(&CMemberTimer::Callback, &binding_, longFunction) {}
  ~CMemberTimer() { timer_.Close(); }
  CMemberTimer(const CMemberTimer&) = delete;
  CMemberTimer& operator=(const CMemberTimer&) = delete;

  bool Start(uint32_t dueTimeMs, uint32_t periodMs) { return timer_.Start(dueTimeMs, periodMs); }
  bool Stop() { return timer_.Stop(); }
  bool Close() { return timer_.Close(); }
  bool IsValid() { return timer_.IsValid(); }

 private:
  struct Binding {
    T* target;
    Function function;
    uint32_t argument;
  };

  static void Callback(void* context, bool /*timerFired*/) {
    const Binding& binding = *static_cast<const Binding*>(context);
    (binding.target->*binding.function)(binding.argument);
  }

  Binding binding_;
  CQueueTimer timer_;  // after binding_: created once the context exists, gone before it is freed
};
