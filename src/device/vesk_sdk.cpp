// The device manager's operations that belong to concerns still to come (SIM, device information,
// data session, autoconnect, SMS, GPS, images, diagnostics). Until each is completed, a host operation
// refuses and an internal step only marks that it ran.
#include "device/vesk_sdk.h"

#include "trace/scope_trace.h"
#include "vesk/values.h"

bool CVeskSDK::UnlockSim(const char* /*pin*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockSim");
  return false;
}

bool CVeskSDK::UnlockDevice(const char* /*code*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockDevice");
  return false;
}

bool CVeskSDK::Connect(const char* /*apn*/, const char* /*userName*/, const char* /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Connect");
  return false;
}

bool CVeskSDK::Disconnect() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Disconnect");
  return false;
}

bool CVeskSDK::SetAutoConnectMode(int32_t /*mode*/, const char* /*apn*/, const char* /*userName*/,
                                  const char* /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetAutoConnectMode");
  return false;
}

int32_t CVeskSDK::GetAutoConnectMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetAutoConnectMode");
  return NORMAL_AUTOCONNECT_Unknown;
}

bool CVeskSDK::GetCellularCardInfo(CellularCardInfo* /*info*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularCardInfo");
  return false;
}

bool CVeskSDK::GetCellularServiceSelection(int32_t* /*selection*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularServiceSelection");
  return false;
}

bool CVeskSDK::SetCellularServiceSelection(int32_t /*selection*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetCellularServiceSelection");
  return false;
}

bool CVeskSDK::StartGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartGPSTracking");
  return false;
}

bool CVeskSDK::StopGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StopGPSTracking");
  return false;
}

bool CVeskSDK::PerformSpecialDiagnostics(uint32_t /*command*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::PerformSpecialDiagnostics");
  return false;
}

bool CVeskSDK::GetImageList(std::vector<ImageRecord>* /*images*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetImageList");
  return false;
}

bool CVeskSDK::StartImageSwitchingProcess(const char16_t* /*path*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartImageSwitchingProcess");
  return false;
}

bool CVeskSDK::IsImageSwitchingSupported() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::IsImageSwitchingSupported");
  return false;
}

// Until the SIM and activation checks exist, the attach goes on as if the SIM were ready or the
// account activated: the information pass then registers the vendor callbacks.
void CVeskSDK::EvaluateSimStatus() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::EvaluateSimStatus");
  GetVeskDeviceInfo();
}

void CVeskSDK::EvaluateCDMAAccountActivation() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::EvaluateCDMAAccountActivation");
  GetVeskDeviceInfo();
}

void CVeskSDK::GetVeskDeviceInfo() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetVeskDeviceInfo");
  RegisterVeskCallbacks();
}

void CVeskSDK::ProcessStoredSmsMessages() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::ProcessStoredSmsMessages");
}

bool CVeskSDK::TryToStopStartDataSessionThread(bool* flag) {
  if (flag != nullptr) {
    *flag = false;
  }
  return true;  // no data session is ever started yet
}

bool CVeskSDK::JoinStartDataSessionThread() {
  return true;
}

void CVeskSDK::StartDataSessionThread(std::string /*apn*/, std::string /*userName*/,
                                      std::string /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartDataSessionThread");
}

void CVeskSDK::HandleStartDataSessionTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleStartDataSessionTimeout");
}

void CVeskSDK::HandleAutoconnectTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleAutoconnectTimeout");
}

void CVeskSDK::StressRssi(RssiStressPlan /*plan*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StressRssi");
}

void CVeskSDK::HandleNMEA(std::string /*sentence*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleNMEA");
}

void CVeskSDK::HandlePDSState(ULONG enabledStatus, ULONG trackingStatus) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandlePDSState");
  Trace(kTraceLevelInfo, u"PDS State enabledStatus=%d, trackingStatus=%d", enabledStatus, trackingStatus);
}
