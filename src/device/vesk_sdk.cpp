// The device manager's operations that belong to concerns still to come (SIM, device information,
// autoconnect, SMS, GPS, images, diagnostics). Until each is completed, a host operation
// refuses and an internal step only marks that it ran.
#include "device/vesk_sdk.h"

#include "trace/scope_trace.h"
#include "vesk/values.h"

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

void CVeskSDK::ProcessStoredSmsMessages() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::ProcessStoredSmsMessages");
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
