#include "platform/thread.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/clock.h"

namespace platform {

namespace {

// What one started body shares with its Thread object; the body holds it by shared ownership, so
// it outlives an abandoned or destroyed Thread.
struct Run {
  std::mutex lock;
  std::condition_variable endedChanged;
  bool ended = false;
  std::thread::id id;
};

}  // namespace

struct Thread::State {
  std::mutex lock;
  std::shared_ptr<Run> run;  // null when nothing was started, or after Join/Abandon
  std::thread thread;

  // Called with lock held.
  void JoinEnded() {
    if (thread.joinable()) {
      thread.join();
    }
    run.reset();
  }

  // Called with lock held: forget the running body, which goes on by itself.
  void Forget() {
    if (thread.joinable()) {
      thread.detach();
    }
    run.reset();
  }
};

Thread::Thread() : state_(std::make_shared<State>()) {}

Thread::~Thread() {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->run == nullptr) {
    return;
  }
  bool ended = false;
  {
    std::lock_guard<std::mutex> runGuard(state_->run->lock);
    ended = state_->run->ended;
  }
  // A thread cannot join itself; one whose body still runs is left to finish on its own.
  if (ended && state_->thread.get_id() != std::this_thread::get_id()) {
    state_->JoinEnded();
  } else {
    state_->Forget();
  }
}

bool Thread::Start(std::function<void()> body) {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->run != nullptr) {
    {
      std::lock_guard<std::mutex> runGuard(state_->run->lock);
      if (!state_->run->ended) {
        return false;
      }
    }
    if (state_->thread.get_id() == std::this_thread::get_id()) {
      return false;  // an ending body restarting its own object: it cannot join itself
    }
    state_->JoinEnded();
  }
  auto run = std::make_shared<Run>();
  try {
    state_->thread = std::thread([run, body = std::move(body)]() mutable {
      {
        std::lock_guard<std::mutex> runGuard(run->lock);
        run->id = std::this_thread::get_id();
      }
      body();
      body = nullptr;  // release what the body captured before anyone learns it has ended
      std::lock_guard<std::mutex> runGuard(run->lock);
      run->ended = true;
      run->endedChanged.notify_all();
    });
  } catch (const std::system_error&) {
    return false;
  }
  {
    std::lock_guard<std::mutex> runGuard(run->lock);
    run->id = state_->thread.get_id();
  }
  state_->run = std::move(run);
  return true;
}

bool Thread::Join(uint32_t ms) {
  std::shared_ptr<Run> run;
  {
    std::lock_guard<std::mutex> guard(state_->lock);
    if (state_->run == nullptr) {
      return true;
    }
    run = state_->run;
  }
  {
    std::unique_lock<std::mutex> runGuard(run->lock);
    if (run->id == std::this_thread::get_id()) {
      return false;  // the body cannot end while it waits for itself
    }
    const auto ended = [&] { return run->ended; };
    if (ms == kInfinite) {
      run->endedChanged.wait(runGuard, ended);
    } else if (!run->endedChanged.wait_for(runGuard, ScaledDuration(ms), ended)) {
      return false;
    }
  }
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->run == run) {
    state_->JoinEnded();
  }
  return true;
}

bool Thread::HasEnded() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->run == nullptr) {
    return true;
  }
  std::lock_guard<std::mutex> runGuard(state_->run->lock);
  return state_->run->ended;
}

void Thread::Abandon() {
  std::lock_guard<std::mutex> guard(state_->lock);
  state_->Forget();
}

bool Thread::IsCurrent() const {
  std::lock_guard<std::mutex> guard(state_->lock);
  if (state_->run == nullptr) {
    return false;
  }
  std::lock_guard<std::mutex> runGuard(state_->run->lock);
  return state_->run->id == std::this_thread::get_id();
}

}  // namespace platform
