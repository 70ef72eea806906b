// A unit of deferred work run by a CWorkItemQueue.
//
// Ownership passes to the queue when the item is offered: the queue runs and then deletes it, or
// deletes it unrun (queue stopping, cleared or destroyed). Items are plain heap objects (new).
#pragma once

class CWorkItem {
 public:
  virtual ~CWorkItem() = default;
  // Runs on the queue's worker thread, with no lock of the queue held.
  virtual void Execute() = 0;
};
