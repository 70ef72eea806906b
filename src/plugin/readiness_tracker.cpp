#include "plugin/readiness_tracker.h"

#include "vesk/notifications.h"

void CReadinessTracker::RaiseInit() {
  if (initComplete_ == 0) {
    initComplete_ = 1;
    result_ |= kRaiseInitComplete;
  }
}

uint32_t CReadinessTracker::Update(int32_t code, uintptr_t param1) {
  switch (code) {
    case WWAN_NOTIFICATION_SIM_STATUS:
    case WWAN_NOTIFICATION_ATTACHED_TO_DEVICE:
    case WWAN_NOTIFICATION_DEVICE_INFO_READY:
    case WWAN_NOTIFICATION_SERVICE:
    case WWAN_NOTIFICATION_SPECIAL_PASSWORD:
    case WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE:
      break;
    default:
      return 0;  // neither reads nor changes the state: no lock for the frequent ones (signal, bytes)
  }
  std::lock_guard<std::mutex> lock(lock_);
  result_ = 0;
  switch (code) {
    case WWAN_NOTIFICATION_SIM_STATUS:
      if (param1 != 1) {
        RaiseInit();
      }
      break;
    case WWAN_NOTIFICATION_ATTACHED_TO_DEVICE:
      initComplete_ = 0;
      readyState_ = kNothingSeen;
      break;
    case WWAN_NOTIFICATION_DEVICE_INFO_READY:
      RaiseInit();
      if (readyState_ == kNothingSeen) {
        readyState_ = kDeviceInfoReadySeen;
      } else if (readyState_ == kUsableServiceSeen) {
        readyState_ = kReadyToConnectReached;
        result_ |= kRaiseReadyToConnect;
      }
      break;
    case WWAN_NOTIFICATION_SERVICE:
      if (param1 != 0 && param1 != 1) {
        if (readyState_ == kNothingSeen) {
          readyState_ = kUsableServiceSeen;
        } else if (readyState_ == kDeviceInfoReadySeen) {
          readyState_ = kReadyToConnectReached;
          result_ |= kRaiseReadyToConnect;
        }
      } else if (readyState_ == kUsableServiceSeen) {
        // Service lost before the device information: the service half no longer counts.
        readyState_ = kNothingSeen;
      }
      break;
    case WWAN_NOTIFICATION_SPECIAL_PASSWORD:
      RaiseInit();
      break;
    case WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE:
      if (param1 == 8) {
        // Ready to connect is not announced for this device state, and not later in this attach.
        readyState_ = kReadyToConnectReached;
        RaiseInit();
      }
      break;
  }
  return result_;
}
