#include "netutil/work_item_queue.h"

#include <deque>
#include <utility>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/thread.h"

struct CWorkItemQueue::State {
  std::mutex queueLock;  // guards items and stopping
  std::deque<std::unique_ptr<CWorkItem>> items;
  bool stopping = false;
  platform::Event work{platform::Event::ResetPolicy::kAutomatic};
};

namespace {

using ItemList = std::deque<std::unique_ptr<CWorkItem>>;

void RunWorker(CWorkItemQueue::State& state, platform::Event& quit, platform::Event& drained) {
  platform::Event* const wakeups[] = {&quit, &state.work};
  // Quit comes first so that a pending work signal is not consumed by a worker that is ending.
  while (platform::WaitAny(wakeups, platform::kInfinite) == 1) {
    for (;;) {
      if (quit.Wait(0)) {
        return;
      }
      std::unique_ptr<CWorkItem> item;
      {
        std::lock_guard lock(state.queueLock);
        if (!state.items.empty()) {
          item = std::move(state.items.front());
          state.items.pop_front();
        } else if (state.stopping) {
          // Set under the lock, so that a later Stop's Reset cannot be overtaken by a stale signal.
          drained.Set();
        }
      }
      if (!item) {
        break;
      }
      item->Execute();
    }
  }
}

}  // namespace

CWorkItemQueue::CWorkItemQueue() : state_(std::make_shared<State>()) {}

CWorkItemQueue::~CWorkItemQueue() {
  {
    std::lock_guard control(controlLock_);
    if (worker_) {
      EndWorker();
    }
  }
  Clear();
}

bool CWorkItemQueue::Start() {
  std::lock_guard control(controlLock_);
  if (worker_ || unusable_) {
    return false;
  }
  auto quit = std::make_shared<platform::Event>(platform::Event::ResetPolicy::kManual);
  auto drained = std::make_shared<platform::Event>(platform::Event::ResetPolicy::kManual);
  bool queued;
  {
    std::lock_guard lock(state_->queueLock);
    queued = !state_->items.empty();
  }
  auto worker = std::make_unique<platform::Thread>();
  if (!worker->Start([state = state_, quit, drained] { RunWorker(*state, *quit, *drained); })) {
    unusable_ = true;
    return false;
  }
  worker_ = std::move(worker);
  quit_ = std::move(quit);
  drained_ = std::move(drained);
  if (queued) {
    state_->work.Set();
  }
  return true;
}

bool CWorkItemQueue::Enqueue(CWorkItem* item) {
  std::unique_ptr<CWorkItem> owned(item);
  bool accepted;
  bool wasEmpty = false;
  {
    std::lock_guard lock(state_->queueLock);
    accepted = !state_->stopping;
    if (accepted && owned) {
      wasEmpty = state_->items.empty();
      state_->items.push_back(std::move(owned));
    }
  }
  if (!accepted) {
    return false;  // the refused item is deleted here, outside the lock
  }
  // The worker empties the queue before it waits again, so only the first item of a run needs the
  // signal; a burst costs one wake-up, not one per item.
  if (wasEmpty) {
    state_->work.Set();
  }
  return true;
}

bool CWorkItemQueue::Stop(uint32_t timeoutMs, CWorkItem* finalItem) {
  std::unique_ptr<CWorkItem> owned(finalItem);
  std::lock_guard control(controlLock_);
  if (!worker_) {
    return false;
  }
  {
    std::lock_guard lock(state_->queueLock);
    state_->stopping = true;
    drained_->Reset();
    if (owned) {
      state_->items.push_back(std::move(owned));
    }
  }
  state_->work.Set();
  if (!drained_->Wait(timeoutMs)) {
    return false;
  }
  return EndWorker();
}

void CWorkItemQueue::Clear() {
  // Deleted outside the lock, when discarded goes: an item's destructor may enqueue or clear.
  ItemList discarded;
  {
    std::lock_guard lock(state_->queueLock);
    discarded.swap(state_->items);
  }
}

// Requires controlLock_ and a worker.
bool CWorkItemQueue::EndWorker() {
  quit_->Set();
  const bool ended = worker_->Join(kWorkerEndWaitMs);
  if (!ended) {
    worker_->Abandon();
  }
  worker_.reset();
  {
    std::lock_guard lock(state_->queueLock);
    state_->stopping = false;
  }
  quit_.reset();
  drained_.reset();
  return ended;
}
