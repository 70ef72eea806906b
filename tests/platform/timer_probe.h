// Test-only: a queue timer that records what its callbacks did, and the fixture that shortens time.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "platform/scoped_time_scale.h"
#include "platform/timer_queue.h"

namespace platform::test {

// One timer and what its callbacks did; an optional action runs inside each callback.
struct Probe {
  std::mutex lock;
  std::condition_variable changed;
  int started = 0, returned = 0, running = 0, maxRunning = 0;
  std::chrono::steady_clock::time_point firstStart;
  std::function<void(Probe&)> action;
  TimerHandle handle = 0;

  bool Create(uint32_t dueMs, uint32_t periodMs) {
    return CreateQueueTimer(
        &handle, [](void* p, bool) { static_cast<Probe*>(p)->Fire(); }, this, dueMs, periodMs, 0);
  }
  void Fire() {
    Update([&] {
      firstStart = started++ == 0 ? std::chrono::steady_clock::now() : firstStart;
      maxRunning = std::max(maxRunning, ++running);
    });
    if (action) {
      action(*this);
    }
    Update([&] { --running, ++returned; });
  }
  void Update(const std::function<void()>& change) {
    std::lock_guard<std::mutex> guard(lock);
    change();
    changed.notify_all();
  }
  bool WaitUntil(const std::function<bool()>& condition) {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, kGenerousWait, condition);
  }
  int Started() {
    std::lock_guard<std::mutex> guard(lock);
    return started;
  }
};

class TimerQueueTest : public testing::Test {
 protected:
  ScopedTimeScale scale_{0.05};
};

}  // namespace platform::test
