// The host's attach requests and the attach timer that carries them out, retrying every 6 s.
#include "device/vesk_sdk.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"

bool CVeskSDK::AttachToCellularDevice(DeviceInfoTree deviceTree) {
  return AttachWithTree(deviceTree, false);
}

bool CVeskSDK::AttachToCellularDevice(DeviceInfoTree deviceTree, bool turnedOn) {
  return AttachWithTree(deviceTree, turnedOn);
}

bool CVeskSDK::AttachToCellularDevice() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return AttachToCellularDeviceImpl(std::u16string(), false);
}

bool CVeskSDK::AttachToCellularDevice(bool turnedOn) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  return AttachToCellularDeviceImpl(std::u16string(), turnedOn);
}

bool CVeskSDK::AttachWithTree(const DeviceInfoTree& deviceTree, bool turnedOn) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::AttachToCellularDevice");
  if (deviceTree.nodes.empty()) {
    Trace(kTraceLevelError, u"Device info tree has no nodes!");
    return false;
  }
  return AttachToCellularDeviceImpl(deviceTree.nodes.front().id, turnedOn);
}

bool CVeskSDK::AttachToCellularDeviceImpl(const std::u16string& deviceId, bool turnedOn) {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  // Checked under the lock that Close's detach takes after clearing the flag: a request let in here
  // is one that the detach then undoes.
  if (!IsOpenFor("CVeskSDK::AttachToCellularDevice")) {
    return false;
  }
  if (const ULONG generation = facade_.ConnectedGeneration(); generation != VeskSDKFacade::NO_SDK_CONNECTED) {
    Trace(kTraceLevelError, u"Already attached to Vesk device %d", generation);
    return false;
  }
  attachRequested_ = true;
  hostDeviceId_ = deviceId;
  if (pcSleeping_) {
    return true;  // the resume starts the attach
  }
  if (!turnedOn) {
    return StartAttachProcess(0);
  }
  Trace(kTraceLevelInfo, u"Delay Vesk attach because device was turned on");
  return StartAttachProcess(kTurnedOnAttachDelayMs);
}

bool CVeskSDK::StartAttachProcess(uint32_t delayMs) {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ResetCachedInfo();
  attachRetryTime_ = 0;
  if (!attachTimer_->Start(delayMs, 0)) {
    Trace(kTraceLevelError, u"Could not start attach timer");
    return false;
  }
  return true;
}

void CVeskSDK::AttachTimerCallback(uint32_t /*argument*/) {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  if (pcSleeping_ || !attachRequested_) {
    return;
  }
  // An expiry already due when a second request re-armed the timer waits for the lock while the first
  // one attaches; attaching again would announce the modem twice and repeat the whole initialisation.
  if (facade_.ConnectedGeneration() != VeskSDKFacade::NO_SDK_CONNECTED) {
    Trace(kTraceLevelInfo, u"Attach timer expired after the attach was done, nothing to do");
    return;
  }
  if (InitializeVesk()) {
    return;
  }
  // The failure is reported once, on the fifth attempt in a row; the retries go on after that.
  if (attachRetryTime_ != -1) {
    if (attachRetryTime_ < kAttachRetryReportMs) {
      attachRetryTime_ += static_cast<int32_t>(kAttachRetryMs);
    } else {
      Trace(kTraceLevelError, u"Could not attach to Vesk device");
      PostNotification(WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, 0, 0);
      attachRetryTime_ = -1;
    }
  }
  if (!attachTimer_->Start(kAttachRetryMs, 0)) {
    Trace(kTraceLevelError, u"Could not start attach timer");
  }
}
