// A thread that can be waited for with a time-out and abandoned, never killed.
//
// Destroying a Thread whose body has not ended detaches it: the body keeps running on its own. The
// body must therefore hold (by shared ownership) everything it touches; the Thread's own bookkeeping
// is shared with the body, so an abandoned body never touches freed memory of the Thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class Thread {
 public:
  Thread();
  ~Thread();
  Thread(const Thread&) = delete;
  Thread& operator=(const Thread&) = delete;

  // Starts body on a new thread. False if a previously started body is still running, or if the OS
  // refused to create one; a previous body that has already ended is joined first.
  bool Start(std::function<void()> body);

  // Waits up to ms of scaled time for the body to end; true when it has ended (the thread is then
  // joined and the object can be started again).
  bool Join(uint32_t ms);

  // True when no thread was started, or the started body has returned.
  bool HasEnded() const;

  // Gives up on a running body: it goes on by itself, the object forgets it and can start again.
  void Abandon();

  // True when the calling thread is this object's thread.
  bool IsCurrent() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace platform
