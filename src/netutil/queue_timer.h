// One timer of the process-wide timer queue, created unarmed.
//
// Callbacks run on timer-queue pool threads; expiries of one periodic timer may overlap. A callback
// may re-arm its own timer with Start. This object and the context passed at construction must stay
// valid until Close has returned: the destructor deletes the timer without waiting for callbacks that
// are running.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "platform/timer_queue.h"

class CQueueTimer {
 public:
  // Pause after creating a timer, giving the timer queue time to settle before the first Start.
  static constexpr uint32_t kCreationPauseMs = 200;
  // A single expiry is armed as a period that never comes in practice, so the timer stays re-armable.
  static constexpr uint32_t kNeverPeriodMs = 0xFFFFFFFE;

  // longFunction hints that callbacks may take long. IsValid tells whether the timer was created.
  CQueueTimer(platform::TimerCallback callback, void* context, bool longFunction);
  ~CQueueTimer();
  CQueueTimer(const CQueueTimer&) = delete;
  CQueueTimer& operator=(const CQueueTimer&) = delete;

  // Arms the timer: first expiry after dueTimeMs (0: at once), then every periodMs. A period of 0 or
  // 0xFFFFFFFF means one expiry. False when there is no timer (creation failed, or closed).
  bool Start(uint32_t dueTimeMs, uint32_t periodMs);

  // Disarms the timer, which stays valid; a callback already running is not waited for.
  bool Stop();

  // Deletes the timer, returning once every running callback (other than the caller's own) has
  // returned. True when there is no timer any more; afterwards Start fails. A callback of this timer
  // that closes it while another Close is under way returns at once: that Close is waiting for it.
  bool Close();

  bool IsValid();

 private:
  // Runs the owner's callback, noting on the thread which timer it runs for.
  static void Dispatch(void* self, bool timerFired);

  const platform::TimerCallback callback_;
  void* const context_;
  std::mutex lock_;  // guards timer_ and closing_
  std::condition_variable closeDone_;
  platform::TimerHandle timer_ = 0;
  bool closing_ = false;
};
