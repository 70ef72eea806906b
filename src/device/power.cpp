// The power-mode monitor, the device-removal handling, the detach, and PC sleep and resume.
#include "device/vesk_sdk.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"

namespace {

constexpr ULONG kPowerOnline = 0;
constexpr ULONG kPowerLow = 1;
constexpr ULONG kPowerOffline = 3;
constexpr ULONG kPowerOff = 5;
constexpr ULONG kPowerPersistentLow = 6;

constexpr const char16_t* kPowerModeTexts[] = {
    u"0 Online",
    u"1 Low power (airplane) mode",
    u"2 Factory test mode",
    u"3 Offline",
    u"4 Resetting",
    u"5 Powering off",
    u"6 Persistent low power (airplane) mode",
};

// Offline, resetting and powering off: the modem is no longer usable.
bool IsGoneMode(int32_t mode) {
  return mode >= static_cast<int32_t>(kPowerOffline) && mode <= static_cast<int32_t>(kPowerOff);
}

}  // namespace

void CVeskSDK::DevicePwrModeTimerCallback(uint32_t /*argument*/) {
  {
    // Ticks overlap when a library call blocks; a third one would only queue up behind the others.
    std::lock_guard<std::mutex> count(runningPowerCallbacksLock_);
    if (++runningPowerCallbacks_ > kMaxRunningPowerCallbacks) {
      Trace(
          kTraceLevelWarning,
          u"More than 2 timer callbacks executing concurrently (is there a Vesk function blocking for a long "
          u"time, or is this running under a debugger?)");
      --runningPowerCallbacks_;
      return;
    }
  }
  std::unique_lock<std::mutex> powerMode(powerModeLock_);
  ULONG mode = 0;
  bool haveMode = true;
  const ULONG result = facade_.GetPower(&mode);
  if (result == NO_WWAN_DEVICE) {
    const int32_t last = lastPowerMode_;
    if (IsGoneMode(last)) {
      Trace(kTraceLevelInfo, u"Vesk device not available, last power mode = %d", last);
      mode = static_cast<ULONG>(last);
    } else {
      Trace(kTraceLevelInfo, u"Device not available, and was %d, so setting power mode to offline", last);
      mode = kPowerOffline;
    }
  } else if (result != 0) {
    Trace(kTraceLevelError, u"Could not get Vesk device power mode, result = %u", result);
    haveMode = false;
  }
  if (haveMode && static_cast<int32_t>(mode) != lastPowerMode_) {
    ApplyPowerMode(mode);
  }
  std::lock_guard<std::mutex> count(runningPowerCallbacksLock_);
  --runningPowerCallbacks_;
}

void CVeskSDK::ApplyPowerMode(ULONG mode) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::DevicePwrModeTimerCallback");
  if (mode <= kPowerPersistentLow) {
    Trace(kTraceLevelInfo, u"Power mode %ls", kPowerModeTexts[mode]);
  } else {
    Trace(kTraceLevelInfo, u"Power mode %u", mode);
  }
  if (mode == kPowerOnline) {
    ChangeDeviceStateBits(0, kDeviceStateRadioOff);
  } else if (mode == kPowerLow || mode == kPowerPersistentLow) {
    ChangeDeviceStateBits(kDeviceStateRadioOff, 0);
  }
  lastPowerMode_ = static_cast<int32_t>(mode);
  if (IsGoneMode(lastPowerMode_)) {
    DetachForReattach();
  }
}

void CVeskSDK::HandleDeviceRemoval() {
  Trace(kTraceLevelInfo, u"CVeskSDK::DeviceRemovalCallback()");
  // Signalled first so that an attach waiting on it lets go of the lock.
  detachEvent_.Set();
  // Runs on the library's thread: while the holder of the lock is inside the library's disconnect,
  // which waits for this callback to return, the detach is already being done and we must not wait.
  if (!deviceOperationLock_.LockForCallback()) {
    return;
  }
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_, std::adopt_lock);
  DetachForReattach();
}

void CVeskSDK::DetachForReattach() {
  detachEvent_.Set();
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  detachEvent_.Reset();
  if (!pcSleeping_ && attachRequested_) {
    // A tick that read the mode before another detach took the lock (an image switch restarting the
    // modem): that detach already let go and chose when to attach again.
    if (facade_.ConnectedGeneration() == VeskSDKFacade::NO_SDK_CONNECTED) {
      Trace(kTraceLevelInfo, u"Vesk device already detached, power mode %u needs no detach",
            lastPowerMode_.load());
      return;
    }
    Trace(kTraceLevelInfo, u"Vesk SDK detaching from device due to device power mode %u detected",
          lastPowerMode_.load());
    DetachFromCellularDevice();
    StartAttachProcess(kReattachDelayMs);
  }
}

bool CVeskSDK::DetachFromCellularDevice() {
  // Signalled before the lock is taken, so that an attach or information pass holding it gives up its
  // waits instead of making the host's detach wait for the whole pass.
  detachEvent_.Set();
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::DetachFromCellularDevice");
  // Tracking that was never started (or was stopped) has nothing to stop; its timer may even be
  // closed for good by an earlier Close, which a stop would report as a failure.
  if (IsGPSTrackingActive()) {
    EndGPSTracking();
  }

  if (!autoconnectTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop autoconnect timer");
  }
  if (!attachTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop attach timer");
  }
  if (!devicePowerStateTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop the device power state timer");
  }
  if (!startDataSessionTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop the start data session timer");
  }
  if (!TryToStopStartDataSessionThread(nullptr)) {
    Trace(kTraceLevelWarning, u"Detach blocking due to StartDataSession thread");
    if (!JoinStartDataSessionThread()) {
      Trace(kTraceLevelError, u"Thread join failed");
    }
  }

  Trace(kTraceLevelInfo, u"disconnecting from the device");
  ULONG result = 0;
  {
    DeviceOperationLock::Disconnecting disconnecting(deviceOperationLock_);
    result = facade_.QCWWANDisconnect();
  }
  bool detached = true;
  if (result == NO_CONNECTION_TO_WWAN_DEVICE) {
    Trace(kTraceLevelInfo, u"disconnect result = NO_CONNECTION_TO_WWAN_DEVICE");
  } else if (result != 0) {
    Trace(kTraceLevelError, u"problem disconnecting from the vesk sdk (%lu)", result);
    detached = false;
  }
  if (detached) {
    Trace(kTraceLevelInfo, u"disconnected from the vesk sdk");
    PostAttachAnnouncement(false);
  }
  {
    // After the disconnect, which ends the library's callbacks: one may hold the SMS lock until then.
    // The parts forgotten here stay unread on the modem, for the sweep of the next attach.
    std::lock_guard<std::mutex> sms(smsLock_);
    smsAssembler_.Clear();
  }
  detachEvent_.Reset();
  return detached;
}

void CVeskSDK::HandleEnterPCSleepMode() {
  detachEvent_.Set();
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  detachEvent_.Reset();
  Trace(kTraceLevelInfo, u"Entering sleep mode");
  pcSleeping_ = true;
  // The request stays, so that the resume can restart the attach.
  if (attachRequested_) {
    DetachFromCellularDevice();
  }
}

void CVeskSDK::HandleExitPCSleepMode() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  Trace(kTraceLevelInfo, u"Resuming from sleep/hibernate");
  pcSleeping_ = false;
  if (attachRequested_) {
    StartAttachProcess(kReattachDelayMs);
  }
}
