// This file must contain only Win32 code.
#include "platform/event.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/win32/win32_error.h"

namespace platform {

// The event object; shared with every WaitAny that uses it, so that an Event destroyed during a wait
// does not close the handle under the waiter.
struct Event::State {
  explicit State(HANDLE h) : handle(h) {}
  ~State() {
    if (handle != nullptr) {
      CloseHandle(handle);
    }
  }
  State(const State&) = delete;
  State& operator=(const State&) = delete;

  HANDLE handle;
};

Event::Event(ResetPolicy policy, bool initiallySignaled)
    : state_(std::make_shared<State>(
          CreateEventW(nullptr, policy == ResetPolicy::kManual, initiallySignaled, nullptr))) {}

Event::~Event() = default;

void Event::Set() {
  SetEvent(state_->handle);
}

void Event::Reset() {
  ResetEvent(state_->handle);
}

bool Event::Wait(uint32_t ms) {
  return WaitForSingleObject(state_->handle, win32::RealMs(ms)) == WAIT_OBJECT_0;
}

int WaitAny(std::span<Event* const> events, uint32_t ms) {
  if (events.empty()) {
    return -1;  // nothing could ever be signalled
  }
  std::vector<std::shared_ptr<Event::State>> states;
  // The system refuses a handle listed twice: wait for each once and report its first index.
  std::vector<HANDLE> handles;
  std::vector<int> firstIndex;
  for (std::size_t i = 0; i < events.size(); ++i) {
    states.push_back(events[i]->state_);
    const HANDLE handle = events[i]->state_->handle;
    if (std::find(handles.begin(), handles.end(), handle) == handles.end()) {
      handles.push_back(handle);
      firstIndex.push_back(static_cast<int>(i));
    }
  }
  if (handles.size() > MAXIMUM_WAIT_OBJECTS) {
    return -1;
  }
  // Waiting for any object returns the lowest signalled index and resets only that one if it is
  // an auto-reset event.
  const DWORD result =
      WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, win32::RealMs(ms));
  if (result >= WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + handles.size()) {
    return firstIndex[result - WAIT_OBJECT_0];
  }
  return -1;
}

}  // namespace platform
