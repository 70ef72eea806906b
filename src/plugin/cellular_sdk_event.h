// A notification waiting in the plug-in's notification queue.
//
// It owns the payload that param1 may carry until it is handed to the host; an event destroyed without
// being delivered (queue cleared or stopping, no owner) frees the payload, so nothing leaks.
#pragma once

#include "netutil/work_item.h"
#include "plugin/wan_sdk_message.h"

class CCellularSDK;

class CCellularSDKEvent : public CWorkItem {
 public:
  CCellularSDKEvent(CCellularSDK* owner, const WanSdkMessage& message);
  ~CCellularSDKEvent() override;
  CCellularSDKEvent(const CCellularSDKEvent&) = delete;
  CCellularSDKEvent& operator=(const CCellularSDKEvent&) = delete;

  // Delivers the message to the host through the owner (on the notification thread).
  void Execute() override;

 private:
  CCellularSDK* owner_;
  WanSdkMessage message_;
  bool delivered_ = false;
};
