// The device manager's operations that belong to concerns still to come (SIM, device information,
// autoconnect, SMS, GPS, images, diagnostics). Until each is completed, a host operation
// refuses and an internal step only marks that it ran.
#include "device/vesk_sdk.h"

#include "trace/scope_trace.h"
#include "vesk/values.h"

bool CVeskSDK::SetAutoConnectMode(int32_t /*mode*/, const char* /*apn*/, const char* /*userName*/,
                                  const char* /*password*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetAutoConnectMode");
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

void CVeskSDK::HandleAutoconnectTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleAutoconnectTimeout");
}

void CVeskSDK::StressRssi(RssiStressPlan /*plan*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StressRssi");
}
