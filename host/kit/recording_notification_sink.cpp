#include "host/kit/recording_notification_sink.h"

#include <utility>

#include "vesk/notifications.h"

namespace hostkit {

namespace {

std::u16string CopyText(const char16_t* text) {
  return text != nullptr ? std::u16string(text) : u"";
}

void CopyPayload(RecordedNotification& record) {
  if (record.param1 == 0) {
    return;
  }
  switch (record.code) {
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      record.text = CopyText(reinterpret_cast<const char16_t*>(record.param1));
      break;
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      record.totals = *reinterpret_cast<const ByteTotals*>(record.param1);
      break;
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      record.gps = *reinterpret_cast<const GpsInfo*>(record.param1);
      break;
    case WWAN_NOTIFICATION_SMS_EVENT: {
      const SmsEvent* event = reinterpret_cast<const SmsEvent*>(record.param1);
      record.text = CopyText(event->sender);
      record.body = CopyText(event->body);
      record.timestamp = event->timestamp;
      break;
    }
    default:
      return;
  }
  record.hasPayload = true;
}

}  // namespace

void RecordingNotificationSink::OnNotification(int32_t code, uintptr_t param1, uintptr_t param2) {
  RecordedNotification record;
  record.code = code;
  record.param1 = param1;
  record.param2 = param2;
  record.time = std::chrono::steady_clock::now();
  record.utc = std::chrono::system_clock::now();
  CopyPayload(record);
  ReleaseNotificationPayload(code, param1);

  Listener listener;
  {
    std::lock_guard<std::mutex> lock(recordsLock_);
    listener = listener_;
  }
  // The listener goes first, so that a waiter woken by this record acts after it was shown.
  if (listener) {
    listener(record);
  }
  {
    std::lock_guard<std::mutex> lock(recordsLock_);
    records_.push_back(std::move(record));
  }
  recorded_.notify_all();
}

void RecordingNotificationSink::SetListener(Listener listener) {
  std::lock_guard<std::mutex> lock(recordsLock_);
  listener_ = std::move(listener);
}

std::vector<RecordedNotification> RecordingNotificationSink::Notifications() const {
  std::lock_guard<std::mutex> lock(recordsLock_);
  return records_;
}

std::vector<int32_t> RecordingNotificationSink::Codes() const {
  std::lock_guard<std::mutex> lock(recordsLock_);
  std::vector<int32_t> codes;
  codes.reserve(records_.size());
  for (const RecordedNotification& record : records_) {
    codes.push_back(record.code);
  }
  return codes;
}

std::size_t RecordingNotificationSink::Count() const {
  std::lock_guard<std::mutex> lock(recordsLock_);
  return records_.size();
}

void RecordingNotificationSink::Clear() {
  std::lock_guard<std::mutex> lock(recordsLock_);
  records_.clear();
}

std::optional<std::size_t> RecordingNotificationSink::FindSequenceLocked(const std::vector<int32_t>& codes,
                                                                         std::size_t from) const {
  std::size_t next = 0;
  for (std::size_t index = from; index < records_.size(); ++index) {
    if (next < codes.size() && records_[index].code == codes[next]) {
      if (++next == codes.size()) {
        return index;
      }
    }
  }
  return std::nullopt;
}

std::optional<std::size_t> RecordingNotificationSink::WaitFor(int32_t code, std::chrono::milliseconds timeout,
                                                              std::size_t from) {
  return WaitForSequence({code}, timeout, from);
}

std::optional<std::size_t> RecordingNotificationSink::WaitForSequence(const std::vector<int32_t>& codes,
                                                                      std::chrono::milliseconds timeout,
                                                                      std::size_t from) {
  std::unique_lock<std::mutex> lock(recordsLock_);
  std::optional<std::size_t> found;
  recorded_.wait_for(lock, timeout, [&] {
    found = FindSequenceLocked(codes, from);
    return found.has_value() || codes.empty();
  });
  return found;
}

bool RecordingNotificationSink::WaitForCount(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(recordsLock_);
  return recorded_.wait_for(lock, timeout, [&] { return records_.size() >= count; });
}

}  // namespace hostkit
