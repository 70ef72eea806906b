// A notification sink that records every notification it receives, for tests and the reference host.
//
// Each notification is recorded with its arrival time; what a reader needs from its payload is copied
// into the record, and the payload is then freed with ReleaseNotificationPayload, as a host must. A
// listener, if set, sees each record on the module's notification thread just before it is stored, so
// a waiter woken by a record runs after the listener has handled it. Waits never poll.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "vesk/host_interfaces.h"
#include "vesk/records.h"

namespace hostkit {

struct RecordedNotification {
  int32_t code = 0;
  uintptr_t param1 = 0;  // the payload pointer is dangling once recorded: only its value is kept
  uintptr_t param2 = 0;
  std::chrono::steady_clock::time_point time;
  std::chrono::system_clock::time_point utc;  // the same moment on the wall clock
  bool hasPayload = false;     // param1 carried a payload that was copied below
  std::u16string text;         // phone number, or SMS sender
  std::u16string body;         // SMS body
  uint64_t timestamp = 0;      // SMS time stamp
  ByteTotals totals{};         // byte totals
  std::optional<GpsInfo> gps;  // GPS information
};

class RecordingNotificationSink : public IHostNotificationSink {
 public:
  using Listener = std::function<void(const RecordedNotification&)>;

  RecordingNotificationSink() = default;
  virtual ~RecordingNotificationSink() = default;
  RecordingNotificationSink(const RecordingNotificationSink&) = delete;
  RecordingNotificationSink& operator=(const RecordingNotificationSink&) = delete;

  void OnNotification(int32_t code, uintptr_t param1, uintptr_t param2) override;

  // Set before the module can deliver anything; called without the sink's lock held.
  void SetListener(Listener listener);

  std::vector<RecordedNotification> Notifications() const;
  std::vector<int32_t> Codes() const;
  std::size_t Count() const;
  void Clear();

  // Waits until a notification with code has been recorded at an index at or after `from`. Returns
  // its index, or nothing on time-out.
  std::optional<std::size_t> WaitFor(int32_t code, std::chrono::milliseconds timeout, std::size_t from = 0);

  // Waits until the codes have been recorded in this order (others may come between them), starting
  // at index `from`. Returns the index of the last one, or nothing on time-out.
  std::optional<std::size_t> WaitForSequence(const std::vector<int32_t>& codes,
                                             std::chrono::milliseconds timeout, std::size_t from = 0);

  // Waits until at least count notifications have been recorded.
  bool WaitForCount(std::size_t count, std::chrono::milliseconds timeout);

 private:
  std::optional<std::size_t> FindSequenceLocked(const std::vector<int32_t>& codes, std::size_t from) const;

  mutable std::mutex recordsLock_;
  std::condition_variable recorded_;
  std::vector<RecordedNotification> records_;
  Listener listener_;
};

}  // namespace hostkit
