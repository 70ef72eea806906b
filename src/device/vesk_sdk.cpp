// The device manager's operations that belong to concerns still to come (SIM, device information,
// autoconnect, GPS, images, diagnostics). Until each is completed, a host operation
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

bool CVeskSDK::StartGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartGPSTracking");
  return false;
}

bool CVeskSDK::StopGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StopGPSTracking");
  return false;
}

void CVeskSDK::HandleAutoconnectTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleAutoconnectTimeout");
}

void CVeskSDK::HandleNMEA(std::string /*sentence*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleNMEA");
}

void CVeskSDK::HandlePDSState(ULONG enabledStatus, ULONG trackingStatus) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandlePDSState");
  Trace(kTraceLevelInfo, u"PDS State enabledStatus=%d, trackingStatus=%d", enabledStatus, trackingStatus);
}
