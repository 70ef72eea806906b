// A first-in-first-out queue of work items with one worker thread of its own.
//
// Any thread may Enqueue; items run one at a time, in order, on the worker only. Start and Stop must
// not be called from the worker (Stop would wait for itself until its time-outs expire).
//
// A worker that does not end within kWorkerEndWaitMs is abandoned, not killed. It can still finish
// the item in hand, so everything it touches (items, queue lock, flags) lives in a State block and in
// per-worker signals that the worker holds by std::shared_ptr; the abandoned worker sees its own quit
// set and ends after that item, without touching the CWorkItemQueue itself.
//
// The worker takes every queued item at once and runs them outside the lock. Items taken but not yet
// run still count as queued: Clear, and the end of the worker, delete them unrun (on the worker).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>

#include "netutil/work_item.h"

namespace platform {
class Thread;
}  // namespace platform

class CWorkItemQueue {
 public:
  // How long the end of the worker is waited for, after the drain, before it is abandoned.
  static constexpr uint32_t kWorkerEndWaitMs = 5000;

  CWorkItemQueue();
  // Ends the worker (the item in hand may finish; no drain), then deletes queued items unrun.
  ~CWorkItemQueue();
  CWorkItemQueue(const CWorkItemQueue&) = delete;
  CWorkItemQueue& operator=(const CWorkItemQueue&) = delete;

  // Starts the worker; items offered before run right after. False if already started, or if no
  // worker could be created (the queue then stays unusable).
  bool Start();

  // Takes ownership of item. While the queue is stopping the item is deleted unrun and the result is
  // false. A null item is accepted and ignored.
  bool Enqueue(CWorkItem* item);

  // Refuses new items, appends finalItem (owned, may be null), waits up to timeoutMs for every
  // queued item to run, then ends the worker. False if never started, if the drain timed out (the
  // worker keeps running, still refusing items) or if the worker had to be abandoned.
  bool Stop(uint32_t timeoutMs, CWorkItem* finalItem = nullptr);

  // Deletes every queued item unrun.
  void Clear();

  struct State;
  struct WorkerSignals;

 private:
  bool EndWorker();

  std::shared_ptr<State> state_;
  std::mutex controlLock_;  // taken before State::queueLock, never after
  std::unique_ptr<platform::Thread> worker_;
  std::shared_ptr<WorkerSignals> signals_;
  bool unusable_ = false;
};
