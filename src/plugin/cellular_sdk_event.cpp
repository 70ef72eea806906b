#include "plugin/cellular_sdk_event.h"

#include "plugin/cellular_sdk.h"
#include "vesk/notifications.h"

CCellularSDKEvent::CCellularSDKEvent(CCellularSDK* owner, const WanSdkMessage& message)
    : owner_(owner), message_(message) {}

CCellularSDKEvent::~CCellularSDKEvent() {
  if (!delivered_) {
    ReleaseNotificationPayload(message_.code, message_.param1);
  }
}

void CCellularSDKEvent::Execute() {
  if (owner_ != nullptr) {
    // The host owns the payload from here on, even if its sink ignores it.
    delivered_ = true;
    owner_->ProcessWanSdkMessage(message_);
  }
}
