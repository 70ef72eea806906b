#include "soak/notification_order.h"

#include "vesk/notifications.h"

namespace soak {

std::string NotificationOrder::Deliver(int32_t code) {
  const std::string name = NotificationName(code);
  if (code == WWAN_NOTIFICATION_SDK_INITIALIZING) {
    if (phase_ == Phase::kOpen) {
      return name + " while open";
    }
    phase_ = Phase::kOpen;
    attached_ = false;
    failedDetaches_ = 0;
    return {};
  }
  if (phase_ != Phase::kOpen) {
    return name + (phase_ == Phase::kClosed ? " after WWAN_NOTIFICATION_SDK_CLOSED" : " before the open");
  }
  switch (code) {
    case WWAN_NOTIFICATION_SDK_CLOSED:
      phase_ = Phase::kClosed;
      return attached_ ? name + " while attached" : std::string();
    case WWAN_NOTIFICATION_ATTACHED_TO_DEVICE:
      if (attached_) {
        if (failedDetaches_ == 0) {
          return name + " twice without a detach";
        }
        --failedDetaches_;
      }
      attached_ = true;
      initComplete_ = false;
      readyToConnect_ = false;
      return {};
    case WWAN_NOTIFICATION_DETACHED_FROM_DEVICE:
      attached_ = false;
      failedDetaches_ = 0;
      return {};
    case WWAN_NOTIFICATION_CELLULAR_INIT_COMPLETE:
      if (initComplete_) {
        return name + " twice in one attach";
      }
      initComplete_ = true;
      return {};
    case WWAN_NOTIFICATION_READY_TO_CONNECT:
      if (readyToConnect_) {
        return name + " twice in one attach";
      }
      readyToConnect_ = true;
      return attached_ ? std::string() : name + " while detached";
    case WWAN_NOTIFICATION_CONNECTED:
    case WWAN_NOTIFICATION_DEVICE_INFO_READY:
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      return attached_ ? std::string() : name + " while detached";
    default:
      return {};
  }
}

}  // namespace soak
