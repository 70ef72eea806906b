// This file must contain only Win32 code.
#include "platform/thread.h"

#include <process.h>
#include <windows.h>

#include <mutex>

#include "platform/clock.h"
#include "platform/win32/win32_error.h"

namespace platform {

namespace {

unsigned __stdcall RunBody(void* argument) {
  auto* body = static_cast<std::function<void()>*>(argument);
  (*body)();
  delete body;  // what the body captured is released before its thread is seen to have ended
  return 0;
}

}  // namespace

// The thread handle is signalled when the body has returned and the thread has ended; closing it
// abandons nothing but the handle, so a forgotten body goes on by itself.
struct Thread::State {
  std::mutex lock;
  HANDLE thread = nullptr;  // null when nothing was started, or after Join/Abandon
  DWORD id = 0;

  // Called with lock held.
  void Forget() {
    if (thread != nullptr) {
      CloseHandle(thread);
      thread = nullptr;
      id = 0;
    }
  }
  bool EndedLocked() const { return thread == nullptr || WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }
};

Thread::Thread() : state_(std::make_shared<State>()) {}

Thread::~Thread() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Forget();
}

bool Thread::Start(std::function<void()> body) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (!state_->EndedLocked()) {
    return false;
  }
  state_->Forget();
  auto* argument = new std::function<void()>(std::move(body));
  unsigned id = 0;
  const uintptr_t thread = _beginthreadex(nullptr, 0, &RunBody, argument, 0, &id);
  if (thread == 0) {
    delete argument;
    return false;
  }
  state_->thread = reinterpret_cast<HANDLE>(thread);
  state_->id = id;
  return true;
}

bool Thread::Join(uint32_t ms) {
  HANDLE thread = nullptr;
  DWORD id = 0;
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->thread == nullptr) {
      return true;
    }
    if (state_->id == GetCurrentThreadId()) {
      return false;  // the body cannot end while it waits for itself
    }
    // A handle of our own, so that an Abandon during the wait cannot close the one waited on.
    if (!DuplicateHandle(GetCurrentProcess(), state_->thread, GetCurrentProcess(), &thread, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
      return false;
    }
    id = state_->id;
  }
  const bool ended = WaitForSingleObject(thread, win32::RealMs(ms)) == WAIT_OBJECT_0;
  if (ended) {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->thread != nullptr && state_->id == id) {
      state_->Forget();
    }
  }
  CloseHandle(thread);
  return ended;
}

bool Thread::HasEnded() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->EndedLocked();
}

void Thread::Abandon() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Forget();
}

bool Thread::IsCurrent() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  return state_->thread != nullptr && state_->id == GetCurrentThreadId();
}

}  // namespace platform
