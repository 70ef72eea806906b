// SMS reception: the new-message callback, the sweep of unread stored messages at initialization, and
// the delivery of whole messages to the host. A message is marked read only once its notification is
// queued, so one that was not delivered (a part still missing, the stream closed) is read again by
// the next sweep.
#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <mutex>
#include <span>

#include "sms/sms_parser.h"
#include "device/vesk_sdk.h"
#include "platform/task_allocator.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"

namespace {

constexpr ULONG kUnreadTag = 1;
constexpr ULONG kReadTag = 0;
constexpr ULONG kSmsListRoom = 255;

// A task-allocator copy of text, zero-terminated; null when it cannot be allocated.
char16_t* TaskMemCopy(const std::u16string& text) {
  auto* copy = static_cast<char16_t*>(platform::TaskMemAlloc((text.size() + 1) * sizeof(char16_t)));
  if (copy != nullptr) {
    std::memcpy(copy, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  }
  return copy;
}

}  // namespace

void CVeskSDK::HandleNewSms(ULONG storageType, ULONG messageIndex) {
  if (storageType == kSmsStorageSim) {
    Trace(kTraceLevelInfo, u"received a new SMS message that is stored on the SIM");
  } else if (storageType == kSmsStorageDevice) {
    Trace(kTraceLevelInfo, u"received a new SMS message that is store in the devices memory");
  } else {
    Trace(kTraceLevelError, u"invalid storage type received in new SMS callback (%d)", storageType);
    return;
  }
  std::lock_guard<std::mutex> lock(smsLock_);
  ProcessSmsEvent(storageType, messageIndex);
  for (const JoinedSms& overdue : smsAssembler_.TakeOverdue(std::time(nullptr))) {
    DeliverSms(overdue);
  }
}

void CVeskSDK::ProcessStoredSmsMessages() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::ProcessStoredSmsMessages");
  for (const ULONG storageType : {kSmsStorageSim, kSmsStorageDevice}) {
    ULONG requestedTag = kUnreadTag;
    ULONG count = kSmsListRoom;
    std::array<ULONG, 2 * kSmsListRoom> list{};
    if (facade_.GetSMSList(storageType, &requestedTag, &count, list.data()) != 0) {
      continue;
    }
    // A library that claims more entries than there was room for is not believed beyond the room.
    count = std::min(count, kSmsListRoom);
    for (ULONG entry = 0; entry < count; ++entry) {
      // The callback's lock too, so that a message arriving now is not read twice at once.
      std::lock_guard<std::mutex> lock(smsLock_);
      ProcessSmsEvent(storageType, list[2 * entry]);
    }
  }
  // Every stored part has been read now: a long message still missing a part that was sent more than
  // a day ago is not waited for any longer.
  std::lock_guard<std::mutex> lock(smsLock_);
  for (const JoinedSms& overdue : smsAssembler_.TakeOverdueAfterSweep(std::time(nullptr))) {
    DeliverSms(overdue);
  }
}

void CVeskSDK::ProcessSmsEvent(ULONG storageType, ULONG messageIndex) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::ProcessSmsEvent");
  std::array<BYTE, SMSParser::kBufferLength> buffer{};
  ULONG tag = 0;
  ULONG format = 0;
  ULONG size = static_cast<ULONG>(buffer.size());
  const ULONG result = facade_.GetSMS(storageType, messageIndex, &tag, &format, &size, buffer.data());
  if (result != 0) {
    Trace(kTraceLevelError, u"there was a problem getting the new SMS message (%d)", result);
    return;
  }
  if (tag == kReadTag) {
    // Delivered already, for instance by the callback while the sweep that listed it ran.
    Trace(kTraceLevelInfo, u"SMS message at index '%d' is marked read already, not delivered again", messageIndex);
    return;
  }
  Trace(kTraceLevelInfo, u"read new SMS message from index '%d'", messageIndex);

  // Only what the library returned: a size beyond the buffer gives an empty span, which is refused.
  SMSParser parser(std::span<const BYTE>(buffer.data(), size <= buffer.size() ? size : 0));
  if (parser.Parse() != 0) {
    Trace(kTraceLevelError, u"there was a problem parsing the SMS message (%d)", parser.errorCode);
    return;
  }
  if (parser.lockingShiftTable >= 0) {
    Trace(kTraceLevelWarning,
          u"the SMS message asks for the national language locking shift table %d, decoded with the default "
          u"alphabet",
          parser.lockingShiftTable);
  }
  if (parser.singleShiftTable >= 0) {
    Trace(kTraceLevelWarning,
          u"the SMS message asks for the national language single shift table %d, decoded with the default "
          u"extension table",
          parser.singleShiftTable);
  }
  const int64_t now = std::time(nullptr);
  int64_t time = parser.time;
  if (!parser.timeValid) {
    Trace(kTraceLevelWarning,
          u"the SMS message has an impossible time stamp (%ws-%ws-%ws %ws:%ws:%ws), using the time it was read",
          parser.year.c_str(), parser.month.c_str(), parser.day.c_str(), parser.hour.c_str(),
          parser.minute.c_str(), parser.second.c_str());
    time = now;
  }

  const SmsLocation location{storageType, messageIndex};
  const auto& part = parser.concatenation;
  if (part.parts < 2) {
    DeliverSms(JoinedSms{parser.sender, parser.body, time, 1, 0, {location}});
    return;
  }
  Trace(kTraceLevelInfo, u"SMS message part %d of %d (reference %d) from %ws, kept until every part is read",
        static_cast<int32_t>(part.sequence), static_cast<int32_t>(part.parts),
        static_cast<int32_t>(part.reference), parser.sender.c_str());
  const auto whole = smsAssembler_.Add(
      SmsPart{location, parser.sender, parser.body, time, part.reference, part.parts, part.sequence}, now);
  if (whole) {
    DeliverSms(*whole);
  }
}

void CVeskSDK::DeliverSms(const JoinedSms& message) {
  if (message.missing != 0) {
    Trace(kTraceLevelWarning, u"delivering the SMS message from %ws with %d of its %d parts missing",
          message.sender.c_str(), static_cast<int32_t>(message.missing), static_cast<int32_t>(message.parts));
  }
  Trace(kTraceLevelInfo, u"Received SMS message from: %ws", message.sender.c_str());
  Trace(kTraceLevelInfo, u"Timestamp: %I64u", static_cast<uint64_t>(message.time));
  Trace(kTraceLevelInfo, u"Body: %ws", message.body.c_str());

  // All three or nothing: a record with a missing string would crash the host that reads it.
  auto* event = static_cast<SmsEvent*>(platform::TaskMemAlloc(sizeof(SmsEvent)));
  if (event == nullptr) {
    return;
  }
  event->sender = TaskMemCopy(message.sender);
  event->body = TaskMemCopy(message.body);
  event->timestamp = static_cast<uint64_t>(message.time);
  if (event->sender == nullptr || event->body == nullptr) {
    platform::TaskMemFree(event->sender);
    platform::TaskMemFree(event->body);
    platform::TaskMemFree(event);
    return;
  }
  if (!PostNotification(WWAN_NOTIFICATION_SMS_EVENT, reinterpret_cast<uintptr_t>(event), 0)) {
    Trace(kTraceLevelError, u"the SMS message could not be queued for the host, it stays unread on the modem");
    return;
  }

  // Only now: a message that never reached the queue stays unread for the next initialization.
  for (const SmsLocation& location : message.locations) {
    const ULONG marked = facade_.ModifySMSStatus(location.storageType, location.messageIndex, kReadTag);
    if (marked != 0) {
      Trace(kTraceLevelError, u"there was a problem setting the SMS message status to Read(%d)", marked);
    }
  }
}
