// SMS reception: the new-message callback, the sweep of unread stored messages at initialization, and
// the delivery of one message to the host.
#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>

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
  Trace(kTraceLevelInfo, u"read new SMS message from index '%d'", messageIndex);

  SMSParser parser(buffer);
  if (parser.Parse() != 0) {
    Trace(kTraceLevelError, u"there was a problem parsing the SMS message (%d)", parser.errorCode);
    return;
  }
  Trace(kTraceLevelInfo, u"Received SMS message from: %ws", parser.sender.c_str());
  Trace(kTraceLevelInfo, u"Timestamp: %I64u", static_cast<uint64_t>(parser.time));
  Trace(kTraceLevelInfo, u"Body: %ws", parser.body.c_str());

  // All three or nothing: a record with a missing string would crash the host that reads it.
  auto* event = static_cast<SmsEvent*>(platform::TaskMemAlloc(sizeof(SmsEvent)));
  if (event == nullptr) {
    return;
  }
  event->sender = TaskMemCopy(parser.sender);
  event->body = TaskMemCopy(parser.body);
  event->timestamp = static_cast<uint64_t>(parser.time);
  if (event->sender == nullptr || event->body == nullptr) {
    platform::TaskMemFree(event->sender);
    platform::TaskMemFree(event->body);
    platform::TaskMemFree(event);
    return;
  }
  PostNotification(WWAN_NOTIFICATION_SMS_EVENT, reinterpret_cast<uintptr_t>(event), 0);

  // Only now: a message that never reached the queue stays unread for the next initialization.
  const ULONG marked = facade_.ModifySMSStatus(storageType, messageIndex, kReadTag);
  if (marked != 0) {
    Trace(kTraceLevelError, u"there was a problem setting the SMS message status to Read(%d)", marked);
  }
}
