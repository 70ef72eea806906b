// Entry points of features this modem does not have: they check the connection and answer
// GENERAL_ERROR without touching their parameters.
#include "facade/vendor_api.h"
#include "sim/simulator.h"

namespace {

ULONG Unmodelled(const char* entryPoint) {
  return vesksim::Simulator::Get().Connected(entryPoint,
                                             [](vesksim::Modem&) -> ULONG { return GENERAL_ERROR; });
}

}  // namespace

extern "C" {

ULONG GetSessionDuration(uintptr_t) {
  return Unmodelled("GetSessionDuration");
}
ULONG GetDormancyState(uintptr_t) {
  return Unmodelled("GetDormancyState");
}
ULONG StartDataSession2(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                        uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("StartDataSession2");
}
ULONG GetConnectionRate(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetConnectionRate");
}
ULONG GetPacketStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetPacketStatus");
}
ULONG GetByteTotals(uintptr_t, uintptr_t) {
  return Unmodelled("GetByteTotals");
}
ULONG SetMobileIP(uintptr_t) {
  return Unmodelled("SetMobileIP");
}
ULONG GetMobileIP(uintptr_t) {
  return Unmodelled("GetMobileIP");
}
ULONG SetActiveMobileIPProfile(uintptr_t, uintptr_t) {
  return Unmodelled("SetActiveMobileIPProfile");
}
ULONG GetActiveMobileIPProfile(uintptr_t) {
  return Unmodelled("GetActiveMobileIPProfile");
}
ULONG SetMobileIPProfile(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                         uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("SetMobileIPProfile");
}
ULONG GetMobileIPProfile(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                         uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetMobileIPProfile");
}
ULONG SetMobileIPParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                            uintptr_t) {
  return Unmodelled("SetMobileIPParameters");
}
ULONG GetMobileIPParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetMobileIPParameters");
}
ULONG GetLastMobileIPError(uintptr_t) {
  return Unmodelled("GetLastMobileIPError");
}
ULONG GetANAAAAuthenticationStatus(uintptr_t) {
  return Unmodelled("GetANAAAAuthenticationStatus");
}
ULONG GetDataBearerTechnology(uintptr_t) {
  return Unmodelled("GetDataBearerTechnology");
}
ULONG SetCDMANetworkParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("SetCDMANetworkParameters");
}
ULONG GetCDMANetworkParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                               uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetCDMANetworkParameters");
}
ULONG GetACCOLC(uintptr_t) {
  return Unmodelled("GetACCOLC");
}
ULONG SetACCOLC(uintptr_t, uintptr_t) {
  return Unmodelled("SetACCOLC");
}
ULONG GetDeviceCapabilities(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetDeviceCapabilities");
}
ULONG QueryLock(uintptr_t) {
  return Unmodelled("QueryLock");
}
ULONG ChangeLockPIN(uintptr_t, uintptr_t) {
  return Unmodelled("ChangeLockPIN");
}
ULONG GetHardwareRevision(uintptr_t, uintptr_t) {
  return Unmodelled("GetHardwareRevision");
}
ULONG GetPRLVersion(uintptr_t) {
  return Unmodelled("GetPRLVersion");
}
ULONG GetERIFile(uintptr_t, uintptr_t) {
  return Unmodelled("GetERIFile");
}
ULONG ActivateManual(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("ActivateManual");
}
ULONG GetNetworkTime(uintptr_t, uintptr_t) {
  return Unmodelled("GetNetworkTime");
}
ULONG ValidateSPC(uintptr_t) {
  return Unmodelled("ValidateSPC");
}
ULONG DeleteSMS(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("DeleteSMS");
}
ULONG SaveSMS(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("SaveSMS");
}
ULONG SendSMS(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("SendSMS");
}
ULONG GetSMSCAddress(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetSMSCAddress");
}
ULONG SetSMSCAddress(uintptr_t, uintptr_t) {
  return Unmodelled("SetSMSCAddress");
}
ULONG GetFirmwareIDW(uintptr_t, uintptr_t) {
  return Unmodelled("GetFirmwareIDW");
}
ULONG GetFirmwareIDA(uintptr_t, uintptr_t) {
  return Unmodelled("GetFirmwareIDA");
}
ULONG GetRFInfo(uintptr_t, uintptr_t) {
  return Unmodelled("GetRFInfo");
}
ULONG GetIPAddress(uintptr_t) {
  return Unmodelled("GetIPAddress");
}
ULONG GetMobileIPProfile2(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                          uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetMobileIPProfile2");
}
ULONG PerformNetworkScan(uintptr_t, uintptr_t) {
  return Unmodelled("PerformNetworkScan");
}
ULONG InitiateNetworkRegistration(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("InitiateNetworkRegistration");
}
ULONG InitiateDomainAttach(uintptr_t) {
  return Unmodelled("InitiateDomainAttach");
}
ULONG GetOfflineReason(uintptr_t, uintptr_t) {
  return Unmodelled("GetOfflineReason");
}
ULONG UIMGetControlKeyStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("UIMGetControlKeyStatus");
}
ULONG UIMSetControlKeyProtection(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("UIMSetControlKeyProtection");
}
ULONG UIMUnblockControlKey(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("UIMUnblockControlKey");
}
ULONG PDSInjectTimeReference(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("PDSInjectTimeReference");
}
ULONG GetPDSDefaults(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetPDSDefaults");
}
ULONG SetPDSDefaults(uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("SetPDSDefaults");
}
ULONG GetXTRAAutomaticDownload(uintptr_t, uintptr_t) {
  return Unmodelled("GetXTRAAutomaticDownload");
}
ULONG SetXTRAAutomaticDownload(uintptr_t, uintptr_t) {
  return Unmodelled("SetXTRAAutomaticDownload");
}
ULONG GetXTRANetwork(uintptr_t) {
  return Unmodelled("GetXTRANetwork");
}
ULONG SetXTRANetwork(uintptr_t) {
  return Unmodelled("SetXTRANetwork");
}
ULONG GetXTRAValidity(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("GetXTRAValidity");
}
ULONG ForceXTRADownload(void) {
  return Unmodelled("ForceXTRADownload");
}
ULONG GetAGPSConfig(uintptr_t, uintptr_t) {
  return Unmodelled("GetAGPSConfig");
}
ULONG SetAGPSConfig(uintptr_t, uintptr_t) {
  return Unmodelled("SetAGPSConfig");
}
ULONG ResetPDSData(uintptr_t, uintptr_t) {
  return Unmodelled("ResetPDSData");
}
ULONG CATSendTerminalResponse(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("CATSendTerminalResponse");
}
ULONG CATSendEnvelopeCommand(uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("CATSendEnvelopeCommand");
}
ULONG GetSMSWake(uintptr_t, uintptr_t) {
  return Unmodelled("GetSMSWake");
}
ULONG SetSMSWake(uintptr_t, uintptr_t) {
  return Unmodelled("SetSMSWake");
}
ULONG OMADMStartSession(uintptr_t) {
  return Unmodelled("OMADMStartSession");
}
ULONG OMADMCancelSession(void) {
  return Unmodelled("OMADMCancelSession");
}
ULONG OMADMGetSessionInfo(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("OMADMGetSessionInfo");
}
ULONG OMADMGetPendingNIA(uintptr_t, uintptr_t) {
  return Unmodelled("OMADMGetPendingNIA");
}
ULONG OMADMSendSelection(uintptr_t, uintptr_t) {
  return Unmodelled("OMADMSendSelection");
}
ULONG OMADMGetFeatureSettings(uintptr_t, uintptr_t) {
  return Unmodelled("OMADMGetFeatureSettings");
}
ULONG OMADMSetProvisioningFeature(uintptr_t) {
  return Unmodelled("OMADMSetProvisioningFeature");
}
ULONG OMADMSetPRLUpdateFeature(uintptr_t) {
  return Unmodelled("OMADMSetPRLUpdateFeature");
}
ULONG QCWWANCancel(void) {
  return Unmodelled("QCWWANCancel");
}
ULONG GetSMSRoutes(uintptr_t, uintptr_t) {
  return Unmodelled("GetSMSRoutes");
}
ULONG SetSMSRoutes(uintptr_t, uintptr_t) {
  return Unmodelled("SetSMSRoutes");
}
ULONG UIMGetControlKeyBlockingStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t) {
  return Unmodelled("UIMGetControlKeyBlockingStatus");
}

}  // extern "C"
