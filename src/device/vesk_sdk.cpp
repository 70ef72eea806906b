// The device manager's GPS operations, still to come: until then a host operation refuses and an
// internal step only marks that it ran.
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

void CVeskSDK::HandleNMEA(std::string /*sentence*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleNMEA");
}

void CVeskSDK::HandlePDSState(ULONG enabledStatus, ULONG trackingStatus) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandlePDSState");
  Trace(kTraceLevelInfo, u"PDS State enabledStatus=%d, trackingStatus=%d", enabledStatus, trackingStatus);
}
