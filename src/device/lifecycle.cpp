// Construction, Open, Close and destruction of the device manager.
#include "device/vesk_sdk.h"

#include "trace/scope_trace.h"
#include "vesk/notifications.h"

CVeskSDK::CVeskSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
                   IPowerStateSource* powerStateSource)
    : CCellularSDK(notificationSink, traceLog, powerStateSource), facade_(traceLog), nmeaParser_(traceLog) {
  OpenCallbackGate();
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::CVeskSDK");
  Trace(kTraceLevelInfo, u"created object to interface with the vesk SDK");

  attachTimer_ = std::make_unique<CMemberTimer<CVeskSDK>>(this, &CVeskSDK::AttachTimerCallback, true);
  if (!attachTimer_->IsValid()) {
    Trace(kTraceLevelError, u"Failed to allocate attach timer");
  }
  devicePowerStateTimer_ =
      std::make_unique<CMemberTimer<CVeskSDK>>(this, &CVeskSDK::DevicePwrModeTimerCallback);
  if (!devicePowerStateTimer_->IsValid()) {
    Trace(kTraceLevelError, u"Failed to allocate device power state timer");
  }
  startDataSessionThread_ = std::make_unique<CMemberThread<CVeskSDK, std::string, std::string, std::string>>(
      this, &CVeskSDK::StartDataSessionThread);
  startDataSessionTimer_ =
      std::make_unique<CMemberTimer<CVeskSDK>>(this, &CVeskSDK::HandleStartDataSessionTimeout);
  if (!startDataSessionTimer_->IsValid()) {
    Trace(kTraceLevelError, u"Failed to allocate start data session timer");
  }
  rssiStressThread_ = std::make_unique<CMemberThread<CVeskSDK, RssiStressPlan>>(this, &CVeskSDK::StressRssi);
  autoconnectTimer_ = std::make_unique<CMemberTimer<CVeskSDK>>(this, &CVeskSDK::HandleAutoconnectTimeout);
  if (!autoconnectTimer_->IsValid()) {
    Trace(kTraceLevelError, u"Failed to allocate autoconnect timer");
  }
  retryableResults_ = {RETRY_LATER, QMI_ERR_RETRY_LATER, QMI_ERR_NO_EFFECT};
  carrierNames_ = LoadCarrierTable();
}

CVeskSDK::~CVeskSDK() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::~CVeskSDK");
  StopRssiStress();  // a run started after the last Close still calls into this object
  if (!closedCleanly_) {
    Close();
  }
  // Close has ended the vendor connection when it could; the gate also turns away whatever the
  // library still calls, and waits for callbacks already inside before the members below go.
  CloseCallbackGate();

  // The threads end first: a start thread stops its timer as it ends, which must not find it closed.
  // No timer callback starts a thread, so none can start between here and the timers' close.
  startDataSessionThread_.reset();
  rssiStressThread_.reset();
  if (!autoconnectTimer_->Close()) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    Closing autoconnect timer failed");
  }
  if (!attachTimer_->Close()) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError, u"    Closing attach timer failed");
  }
  if (!devicePowerStateTimer_->Close()) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    Closing device power state timer failed");
  }
  if (!startDataSessionTimer_->Close()) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    Closing start data session timer failed");
  }
  autoconnectTimer_.reset();
  attachTimer_.reset();
  devicePowerStateTimer_.reset();
  startDataSessionTimer_.reset();
  Trace(kTraceLevelInfo, u"destroyed object to interface with the vesk SDK");
}

void CVeskSDK::Release() {
  delete this;
}

int32_t CVeskSDK::GetSDKType() {
  return kSDKType;
}

IVeskSDK* CVeskSDK::GetVeskSDK() {
  return this;
}

bool CVeskSDK::Open() {
  std::lock_guard<std::mutex> lock(openCloseLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Open");
  closedCleanly_ = false;
  if (!CCellularSDK::Open()) {
    return false;
  }
  Trace(kTraceLevelInfo, u"open the vesk SDK");
  WithInfo([this](CachedCellularInfo& info) {
    const uint32_t bits = info.deviceStateBits;
    info.deviceStateBits = 0;
    if (bits != 0) {
      PostNotification(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, 0, 0);
    }
  });
  gpsSupported_ = false;
  if (!workerQueue_.Start()) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    Error: failed to start worker queue in CVeskSDK::Open");
    return false;
  }
  SetOpenFlag(true);
  return true;
}

bool CVeskSDK::IsOpen() {
  return CCellularSDK::IsOpen();
}

bool CVeskSDK::IsOpenFor(const char* operation) {
  if (CCellularSDK::IsOpen()) {
    return true;
  }
  Trace(kTraceLevelError, u"%hs called while the SDK is not open", operation);
  return false;
}

bool CVeskSDK::Close() {
  std::lock_guard<std::mutex> lock(openCloseLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Close");
  StopRssiStress();  // the stress thread calls into the manager, which must not outlive Close
  bool result = true;
  SetOpenFlag(false);

  // Signalled before the lock is taken, so that an attach or information pass waiting on the event
  // gives up and lets go of the lock instead of holding Close up.
  detachEvent_.Set();
  {
    std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
    detachEvent_.Reset();
    attachRequested_ = false;
    if (!DetachFromCellularDevice()) {
      result = false;
    }
  }

  if (!workerQueue_.Stop(kWorkerStopTimeoutMs, nullptr)) {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    Could not stop work item queue used for Vesk 2000 event handling");
    result = false;
  }
  if (!CCellularSDK::Close()) {
    result = false;
  }
  closedCleanly_ = result;
  return result;
}
