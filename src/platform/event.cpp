#include "platform/event.h"

#include <algorithm>
#include <condition_variable>
#include <list>
#include <mutex>
#include <vector>

#include "platform/clock.h"

namespace platform {

namespace {

// One blocked call of WaitAny. Whichever event fires it first wins; later attempts are refused, so
// an auto-reset signal is consumed by exactly one waiter and otherwise stays with its event.
struct Waiter {
  std::mutex lock;
  std::condition_variable woken;
  int firedIndex = -1;
  bool finished = false;  // fired, or gave up after its time-out

  bool Fire(int index) {
    std::lock_guard<std::mutex> guard(lock);
    if (finished) {
      return false;
    }
    finished = true;
    firedIndex = index;
    woken.notify_one();
    return true;
  }
};

struct Registration {
  Waiter* waiter;
  int index;
};

}  // namespace

struct Event::State {
  explicit State(ResetPolicy p, bool signaled) : policy(p), signaled(signaled) {}

  const ResetPolicy policy;
  std::mutex lock;
  bool signaled;
  std::list<Registration> waiters;  // oldest first
};

Event::Event(ResetPolicy policy, bool initiallySignaled)
    : state_(std::make_shared<State>(policy, initiallySignaled)) {}

Event::~Event() = default;

void Event::Set() {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->policy == ResetPolicy::kAutomatic) {
    while (!state_->waiters.empty()) {
      const Registration next = state_->waiters.front();
      state_->waiters.pop_front();
      if (next.waiter->Fire(next.index)) {
        return;  // consumed
      }
    }
    state_->signaled = true;
    return;
  }
  state_->signaled = true;
  for (const Registration& r : state_->waiters) {
    r.waiter->Fire(r.index);
  }
  state_->waiters.clear();
}

void Event::Reset() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->signaled = false;
}

bool Event::Wait(uint32_t ms) {
  if (ms == 0) {
    // A poll (a worker's quit check before each item) needs none of WaitAny's registration.
    std::lock_guard<std::mutex> guard(state_->lock);
    if (!state_->signaled) {
      return false;
    }
    if (state_->policy == ResetPolicy::kAutomatic) {
      state_->signaled = false;
    }
    return true;
  }
  Event* const self = this;
  return WaitAny(std::span<Event* const>(&self, 1), ms) == 0;
}

int WaitAny(std::span<Event* const> events, uint32_t ms) {
  if (events.empty()) {
    return -1;  // nothing could ever be signalled
  }
  // Holding every event's state keeps it alive even if an Event is destroyed during the wait.
  std::vector<std::shared_ptr<Event::State>> states;
  states.reserve(events.size());
  for (Event* e : events) {
    states.push_back(e->state_);
  }
  // Lock each distinct state once, in address order, so that concurrent WaitAny calls over
  // overlapping sets cannot deadlock; Set only ever holds one state lock.
  std::vector<Event::State*> order;
  for (const auto& s : states) {
    order.push_back(s.get());
  }
  std::sort(order.begin(), order.end());
  order.erase(std::unique(order.begin(), order.end()), order.end());

  Waiter waiter;
  {
    std::vector<std::unique_lock<std::mutex>> guards;
    guards.reserve(order.size());
    for (Event::State* s : order) {
      guards.emplace_back(s->lock);
    }
    for (std::size_t i = 0; i < states.size(); ++i) {
      Event::State& s = *states[i];
      if (s.signaled) {
        if (s.policy == Event::ResetPolicy::kAutomatic) {
          s.signaled = false;
        }
        return static_cast<int>(i);
      }
    }
    if (ms == 0) {
      return -1;
    }
    for (std::size_t i = 0; i < states.size(); ++i) {
      states[i]->waiters.push_back(Registration{&waiter, static_cast<int>(i)});
    }
  }

  int result = -1;
  {
    std::unique_lock<std::mutex> guard(waiter.lock);
    if (ms == kInfinite) {
      waiter.woken.wait(guard, [&] { return waiter.finished; });
    } else {
      const auto deadline = std::chrono::steady_clock::now() + ScaledDuration(ms);
      waiter.woken.wait_until(guard, deadline, [&] { return waiter.finished; });
    }
    // From here on no event can fire this waiter: a late Set moves on to the next waiter.
    waiter.finished = true;
    result = waiter.firedIndex;
  }

  // Set removes the registrations it visits; remove the others before the waiter goes away.
  for (Event::State* s : order) {
    std::lock_guard<std::mutex> guard(s->lock);
    s->waiters.remove_if([&](const Registration& r) { return r.waiter == &waiter; });
  }
  return result;
}

}  // namespace platform
