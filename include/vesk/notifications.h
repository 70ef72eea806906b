// Notification codes the module sends to IHostNotificationSink::OnNotification, their names, and the
// one correct way to free the payloads that some of them carry.
#ifndef VESK_NOTIFICATIONS_H
#define VESK_NOTIFICATIONS_H

#include <cstdint>

#include "vesk/records.h"

inline constexpr int32_t WWAN_NOTIFICATION_SDK_INITIALIZING = 0;
inline constexpr int32_t WWAN_NOTIFICATION_RSSI = 1;
inline constexpr int32_t WWAN_NOTIFICATION_SIM_STATUS = 2;
inline constexpr int32_t WWAN_NOTIFICATION_DETACHED_FROM_DEVICE = 3;
inline constexpr int32_t WWAN_NOTIFICATION_ATTACHED_TO_DEVICE = 4;
inline constexpr int32_t WWAN_NOTIFICATION_DEVICE_INFO_READY = 5;
inline constexpr int32_t WWAN_NOTIFICATION_SDK_CLOSED = 6;
inline constexpr int32_t WWAN_NOTIFICATION_CONNECTED = 7;
inline constexpr int32_t WWAN_NOTIFICATION_DISCONNECTED = 8;
inline constexpr int32_t WWAN_NOTIFICATION_SERVICE = 9;
inline constexpr int32_t WWAN_NOTIFICATION_ROAMING = 10;
// 11 has no name and is never sent.
inline constexpr int32_t WWAN_NOTIFICATION_BYTES_TX_RX = 12;  // param1: ByteTotals*
inline constexpr int32_t WWAN_NOTIFICATION_PPP_STATUS = 13;
inline constexpr int32_t WWAN_NOTIFICATION_SPECIAL_PASSWORD = 14;
inline constexpr int32_t WWAN_NOTIFICATION_SMS_EVENT = 15;  // param1: SmsEvent*
inline constexpr int32_t WWAN_NOTIFICATION_PROBE_INFO = 16;
inline constexpr int32_t WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE = 17;
inline constexpr int32_t WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE = 18;
inline constexpr int32_t WWAN_NOTIFICATION_READY_TO_CONNECT = 19;
inline constexpr int32_t WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE = 20;
inline constexpr int32_t WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED = 21;  // param1: char16_t[]
inline constexpr int32_t WWAN_NOTIFICATION_GPS_INFO_CHANGED = 22;       // param1: GpsInfo* or null

// The name of a notification code ("WWAN_NOTIFICATION_RSSI"); empty for a code without a name.
inline const char* NotificationName(int32_t code) {
  static const char* const kNames[] = {
      "WWAN_NOTIFICATION_SDK_INITIALIZING",
      "WWAN_NOTIFICATION_RSSI",
      "WWAN_NOTIFICATION_SIM_STATUS",
      "WWAN_NOTIFICATION_DETACHED_FROM_DEVICE",
      "WWAN_NOTIFICATION_ATTACHED_TO_DEVICE",
      "WWAN_NOTIFICATION_DEVICE_INFO_READY",
      "WWAN_NOTIFICATION_SDK_CLOSED",
      "WWAN_NOTIFICATION_CONNECTED",
      "WWAN_NOTIFICATION_DISCONNECTED",
      "WWAN_NOTIFICATION_SERVICE",
      "WWAN_NOTIFICATION_ROAMING",
      "",
      "WWAN_NOTIFICATION_BYTES_TX_RX",
      "WWAN_NOTIFICATION_PPP_STATUS",
      "WWAN_NOTIFICATION_SPECIAL_PASSWORD",
      "WWAN_NOTIFICATION_SMS_EVENT",
      "WWAN_NOTIFICATION_PROBE_INFO",
      "WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE",
      "WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE",
      "WWAN_NOTIFICATION_READY_TO_CONNECT",
      "WWAN_NOTIFICATION_VESK_IMAGE_SWITCHING_COMPLETE",
      "WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED",
      "WWAN_NOTIFICATION_GPS_INFO_CHANGED",
  };
  constexpr int32_t kCount = static_cast<int32_t>(sizeof(kNames) / sizeof(kNames[0]));
  return code >= 0 && code < kCount ? kNames[code] : "";
}

// Frees the payload that param1 carries for code, as the module allocated it; does nothing for codes
// without a payload or for a null param1. Call it once per delivered notification.
inline void ReleaseNotificationPayload(int32_t code, uintptr_t param1) {
  if (param1 == 0) {
    return;
  }
  switch (code) {
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      delete[] reinterpret_cast<char16_t*>(param1);
      break;
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      delete reinterpret_cast<ByteTotals*>(param1);
      break;
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      delete reinterpret_cast<GpsInfo*>(param1);
      break;
    case WWAN_NOTIFICATION_SMS_EVENT: {
      SmsEvent* event = reinterpret_cast<SmsEvent*>(param1);
      CoTaskMemFree(event->sender);
      CoTaskMemFree(event->body);
      CoTaskMemFree(event);
      break;
    }
    default:
      break;
  }
}

#endif  // VESK_NOTIFICATIONS_H
