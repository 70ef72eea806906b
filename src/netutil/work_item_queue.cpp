#include "netutil/work_item_queue.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <thread>
#include <utility>

#include "platform/clock.h"
#include "platform/event.h"
#include "platform/thread.h"

struct CWorkItemQueue::State {
  std::mutex queueLock;  // guards items, stopping and clears
  // Items arrived, a stop began, or a worker was told to quit. A condition variable of the queue's
  // own: the worker's wake-up takes no registration and no allocation, and nothing holds a lock
  // while it is notified.
  std::condition_variable wake;
  std::deque<std::unique_ptr<CWorkItem>> items;
  bool stopping = false;
  // Counts Clear calls, so that a worker drops the run it has taken out of items when one happens.
  std::atomic<uint64_t> clears{0};
};

// One worker's own signals, held by the worker: an abandoned worker still sees its quit.
struct CWorkItemQueue::WorkerSignals {
  std::atomic<bool> quit{false};  // set under State::queueLock
  platform::Event drained{platform::Event::ResetPolicy::kManual};
};

namespace {

using ItemList = std::deque<std::unique_ptr<CWorkItem>>;

// The worker takes the whole queue per wake-up under one lock and runs it outside; before each item
// it checks for a quit and for a Clear, either of which deletes the rest of the run unrun.
void RunWorker(CWorkItemQueue::State& state, CWorkItemQueue::WorkerSignals& self) {
  ItemList run;
  uint64_t clearsAtTake = 0;
  for (;;) {
    {
      std::unique_lock lock(state.queueLock);
      for (;;) {
        if (self.quit.load(std::memory_order_relaxed)) {
          return;
        }
        if (!state.items.empty()) {
          break;
        }
        if (state.stopping) {
          // Set under the lock, so that a later Stop's Reset cannot be overtaken by a stale signal.
          self.drained.Set();
        }
        state.wake.wait(lock);
      }
      run.swap(state.items);
      clearsAtTake = state.clears.load(std::memory_order_relaxed);
    }
    while (!run.empty()) {
      // The unrun rest is deleted here, outside the lock: an item's destructor may enqueue or clear.
      if (self.quit.load(std::memory_order_acquire)) {
        return;
      }
      if (state.clears.load(std::memory_order_acquire) != clearsAtTake) {
        run.clear();
        break;
      }
      std::unique_ptr<CWorkItem> item = std::move(run.front());
      run.pop_front();
      item->Execute();
    }
    // Once, after the run has been delivered: a producer that shares this CPU may go on queuing
    // rather than be preempted by this worker's next wake-up for every few items of a burst.
    std::this_thread::yield();
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
  // Items offered before the start are found by the worker's first look at the queue.
  auto signals = std::make_shared<WorkerSignals>();
  auto worker = std::make_unique<platform::Thread>();
  if (!worker->Start([state = state_, signals] { RunWorker(*state, *signals); })) {
    unusable_ = true;
    return false;
  }
  worker_ = std::move(worker);
  signals_ = std::move(signals);
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
    state_->wake.notify_one();
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
    signals_->drained.Reset();
    if (owned) {
      state_->items.push_back(std::move(owned));
    }
  }
  state_->wake.notify_all();
  if (!signals_->drained.Wait(timeoutMs)) {
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
    state_->clears.fetch_add(1, std::memory_order_release);
  }
}

// Requires controlLock_ and a worker.
bool CWorkItemQueue::EndWorker() {
  {
    std::lock_guard lock(state_->queueLock);
    signals_->quit.store(true, std::memory_order_release);
  }
  state_->wake.notify_all();
  const bool ended = worker_->Join(kWorkerEndWaitMs);
  if (!ended) {
    worker_->Abandon();
  }
  worker_.reset();
  {
    std::lock_guard lock(state_->queueLock);
    state_->stopping = false;
  }
  signals_.reset();
  return ended;
}
