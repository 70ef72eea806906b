// Runs a member function of its owner on a thread of its own, one thread at a time.
//
// Start copies the arguments into a parameter block held only by the new thread, so the thread never
// reads memory of this object. Wait lets other threads wait for the last thread started, without
// holding the lock that Start needs. The destructor waits up to kEndWaitMs for a running thread and
// then abandons it (it is never killed); the owner must make its threads end (e.g. with an event)
// before freeing what their member function uses.
//
// An abandoned thread never touches this object again (its arguments live in its own block), but it
// goes on running the member function: it may still touch the target object and everything that
// function reaches (its members, timers, locks). An owner therefore destroys its CMemberThreads before
// freeing any of that; a thread that outlives the wait still reaches the owner after it is gone.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/thread.h"

template <class T, class... Args>
class CMemberThread {
 public:
  using Function = void (T::*)(Args...);

  static constexpr uint32_t kEndWaitMs = 5000;

  CMemberThread(T* target, Function function) : target_(target), function_(function) {}
  ~CMemberThread();
  CMemberThread(const CMemberThread&) = delete;
  CMemberThread& operator=(const CMemberThread&) = delete;

  // False while the previous thread still runs, or if no thread could be started.
  bool Start(Args... args);

  // Waits up to ms of scaled time (platform::kInfinite: no limit) for the last thread started to end.
  // True when none was started or it has ended; false while it runs, and always false on that thread
  // itself, which cannot wait for its own end.
  bool Wait(uint32_t ms);

 private:
  struct ParameterBlock {
    T* target;
    Function function;
    std::tuple<std::decay_t<Args>...> args;
  };

  T* const target_;
  const Function function_;
  std::mutex lock_;  // guards thread_
  // Shared with a Wait in progress, so that Start can replace an ended thread meanwhile.
  std::shared_ptr<platform::Thread> thread_;
};

template <class T, class... Args>
bool CMemberThread<T, Args...>::Start(Args... args) {
  std::lock_guard lock(lock_);
  if (thread_ && !thread_->HasEnded()) {
    return false;
  }
  auto block = std::make_shared<ParameterBlock>(
      ParameterBlock{target_, function_, std::tuple<std::decay_t<Args>...>(std::forward<Args>(args)...)});
  auto thread = std::make_unique<platform::Thread>();
  const bool started = thread->Start([block]() mutable {
    std::apply([&block](auto&... copies) { (block->target->*block->function)(copies...); }, block->args);
    block.reset();
  });
  if (!started) {
    return false;
  }
  thread_ = std::move(thread);  // the previous, ended thread is joined here (or by its last waiter)
  return true;
}

template <class T, class... Args>
bool CMemberThread<T, Args...>::Wait(uint32_t ms) {
  std::shared_ptr<platform::Thread> thread;
  {
    std::lock_guard lock(lock_);
    thread = thread_;
  }
  return !thread || thread->Join(ms);
}

template <class T, class... Args>
CMemberThread<T, Args...>::~CMemberThread() {
  std::shared_ptr<platform::Thread> thread;
  {
    std::lock_guard lock(lock_);
    thread = std::move(thread_);
  }
  if (!thread || thread->HasEnded()) {
    return;
  }
  if (thread->IsCurrent() || !thread->Join(kEndWaitMs)) {
    thread->Abandon();
  }
}
