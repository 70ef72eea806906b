// The vendor connection-management library's C interface, as both library generations export it.
//
// The module never links against these functions: it loads the library at run time and only uses the
// types below (one function-pointer type per entry point, NAME_t). The simulator defines and exports
// them. Every entry point returns a vendor result: 0 on success, else one of the codes below or any
// other non-zero failure. Entry points the module does not use take pointer-sized integers, so that
// an integer and a pointer both fit.
#ifndef VESK_FACADE_VENDOR_API_H
#define VESK_FACADE_VENDOR_API_H

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#define VESK_VENDOR_API  // the library's .def file lists its exports
#else
#define VESK_VENDOR_API __attribute__((visibility("default")))
#endif

extern "C" {

typedef uint32_t ULONG;
typedef uint64_t ULONGLONG;
typedef uint16_t WORD;
typedef uint8_t BYTE;
typedef int8_t INT8;
typedef char16_t WCHAR;

// Callbacks; the library calls them on threads of its own.
typedef void (*SessionStateCallbackFn)(ULONG state, ULONG sessionEndReason);
typedef void (*ByteTotalsCallbackFn)(ULONGLONG totalBytesTX, ULONGLONG totalBytesRX);
typedef void (*DataCapabilitiesCallbackFn)(BYTE dataCapsSize, ULONG* pDataCaps);
typedef void (*ActivationStatusCallbackFn)(ULONG activationState);
typedef void (*RoamingIndicatorCallbackFn)(ULONG roaming);
typedef void (*NewSMSCallbackFn)(ULONG storageType, ULONG messageIndex);
typedef void (*SignalStrengthCallbackFn)(INT8 signalStrength, ULONG radioInterface);
typedef void (*PowerCallbackFn)(ULONG operatingMode);
typedef void (*DeviceRemovalCallbackFn)(void);
typedef void (*NMEACallbackFn)(const char* pNMEA);
typedef void (*PDSStateCallbackFn)(ULONG enabledStatus, ULONG trackingStatus);

// One record of QCWWAN2kEnumerateDevices' array: zero-terminated narrow texts.
struct VendorDeviceRecord {
  char deviceID[256];
  char deviceKey[16];
};

// ---- Entry points of both generations ----
VESK_VENDOR_API ULONG QCWWANConnect(void);
VESK_VENDOR_API ULONG QCWWANDisconnect(void);
VESK_VENDOR_API ULONG QCWWANGetConnectedDeviceID(ULONG deviceIDSize, char* pDeviceID);
VESK_VENDOR_API ULONG GetSessionState(ULONG* pState);
VESK_VENDOR_API ULONG GetSessionDuration(uintptr_t);
VESK_VENDOR_API ULONG GetDormancyState(uintptr_t);
VESK_VENDOR_API ULONG GetAutoconnect(ULONG* pSetting);
VESK_VENDOR_API ULONG SetAutoconnect(ULONG setting);
VESK_VENDOR_API ULONG SetDefaultProfile(ULONG profileType, ULONG* pPDPType, ULONG* pIPAddress,
                                        ULONG* pPrimaryDNS, ULONG* pSecondaryDNS, ULONG* pAuthentication,
                                        const char* pName, const char* pAPNName, const char* pUsername,
                                        const char* pPassword);
VESK_VENDOR_API ULONG GetDefaultProfile(ULONG profileType, ULONG* pPDPType, ULONG* pIPAddress,
                                        ULONG* pPrimaryDNS, ULONG* pSecondaryDNS, ULONG* pAuthentication,
                                        BYTE nameSize, char* pName, BYTE apnSize, char* pAPNName,
                                        BYTE userSize, char* pUsername);
VESK_VENDOR_API ULONG StartDataSession(ULONG* pTechnology, ULONG* pPrimaryDNS, ULONG* pSecondaryDNS,
                                       ULONG* pPrimaryNBNS, ULONG* pSecondaryNBNS, const char* pAPNName,
                                       ULONG* pIPAddress, ULONG* pAuthentication, const char* pUsername,
                                       const char* pPassword, ULONG* pSessionId);
VESK_VENDOR_API ULONG StartDataSession2(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                        uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG StopDataSession(ULONG sessionId);
VESK_VENDOR_API ULONG GetConnectionRate(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetPacketStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetByteTotals(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetMobileIP(uintptr_t);
VESK_VENDOR_API ULONG GetMobileIP(uintptr_t);
VESK_VENDOR_API ULONG SetActiveMobileIPProfile(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetActiveMobileIPProfile(uintptr_t);
VESK_VENDOR_API ULONG SetMobileIPProfile(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                         uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetMobileIPProfile(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                         uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetMobileIPParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                            uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetMobileIPParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                            uintptr_t);
VESK_VENDOR_API ULONG GetLastMobileIPError(uintptr_t);
VESK_VENDOR_API ULONG GetANAAAAuthenticationStatus(uintptr_t);
VESK_VENDOR_API ULONG GetSignalStrength(INT8* pSignalStrength, ULONG* pRadioInterface);
VESK_VENDOR_API ULONG GetSignalStrengths(ULONG* pArraySizes, INT8* pSignalStrengths, ULONG* pRadioInterfaces);
VESK_VENDOR_API ULONG GetServingNetwork(ULONG* pRegistrationState, ULONG* pCSDomain, ULONG* pPSDomain,
                                        ULONG* pRAN, BYTE* pRadioIfacesSize, BYTE* pRadioIfaces,
                                        ULONG* pRoaming, WORD* pMCC, WORD* pMNC, BYTE nameSize, char* pName);
VESK_VENDOR_API ULONG GetServingNetworkCapabilities(BYTE* pDataCapsSize, ULONG* pDataCaps);
VESK_VENDOR_API ULONG GetDataBearerTechnology(uintptr_t);
VESK_VENDOR_API ULONG GetHomeNetwork(WORD* pMCC, WORD* pMNC, BYTE nameSize, char* pName, WORD* pSID,
                                     WORD* pNID);
VESK_VENDOR_API ULONG SetNetworkPreference(ULONG technologyPref, ULONG duration);
VESK_VENDOR_API ULONG GetNetworkPreference(ULONG* pTechnologyPref, ULONG* pDuration,
                                           ULONG* pPersistentTechnologyPref);
VESK_VENDOR_API ULONG SetCDMANetworkParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                               uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetCDMANetworkParameters(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                               uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                               uintptr_t);
VESK_VENDOR_API ULONG GetACCOLC(uintptr_t);
VESK_VENDOR_API ULONG SetACCOLC(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetDeviceCapabilities(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetManufacturer(BYTE stringSize, char* pString);
VESK_VENDOR_API ULONG GetModelID(BYTE stringSize, char* pString);
VESK_VENDOR_API ULONG GetFirmwareRevision(BYTE stringSize, char* pString);
VESK_VENDOR_API ULONG GetFirmwareInfo(ULONG* pFirmwareID, ULONG* pTechnology, ULONG* pCarrier, ULONG* pRegion,
                                      ULONG* pGPSCapability);
VESK_VENDOR_API ULONG GetVoiceNumber(BYTE voiceNumberSize, char* pVoiceNumber, BYTE minSize, char* pMIN);
VESK_VENDOR_API ULONG GetSerialNumbers(BYTE esnSize, char* pESN, BYTE imeiSize, char* pIMEI, BYTE meidSize,
                                       char* pMEID);
VESK_VENDOR_API ULONG SetLock(ULONG state, const char* pCurrentPIN);
VESK_VENDOR_API ULONG QueryLock(uintptr_t);
VESK_VENDOR_API ULONG ChangeLockPIN(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetHardwareRevision(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetPRLVersion(uintptr_t);
VESK_VENDOR_API ULONG GetERIFile(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG ActivateAutomatic(const char* pActivationCode);
VESK_VENDOR_API ULONG ActivateManual(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                     uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG ResetToFactoryDefaults(const char* pSPC);
VESK_VENDOR_API ULONG GetActivationState(ULONG* pActivationState);
VESK_VENDOR_API ULONG SetPower(ULONG powerMode);
VESK_VENDOR_API ULONG GetPower(ULONG* pPowerMode);
VESK_VENDOR_API ULONG GetNetworkTime(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG ValidateSPC(uintptr_t);
VESK_VENDOR_API ULONG DeleteSMS(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetSMSList(ULONG storageType, ULONG* pRequestedTag, ULONG* pMessageListSize,
                                 ULONG* pMessageList);
VESK_VENDOR_API ULONG GetSMS(ULONG storageType, ULONG messageIndex, ULONG* pMessageTag, ULONG* pMessageFormat,
                             ULONG* pMessageSize, BYTE* pMessage);
VESK_VENDOR_API ULONG ModifySMSStatus(ULONG storageType, ULONG messageIndex, ULONG messageTag);
VESK_VENDOR_API ULONG SaveSMS(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SendSMS(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetSMSCAddress(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetSMSCAddress(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMSetPINProtection(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMVerifyPIN(ULONG id, const char* pValue, ULONG* pVerifyRetriesLeft,
                                   ULONG* pUnblockRetriesLeft);
VESK_VENDOR_API ULONG UIMUnblockPIN(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMChangePIN(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMGetPINStatus(ULONG id, ULONG* pStatus, ULONG* pVerifyRetriesLeft,
                                      ULONG* pUnblockRetriesLeft);
VESK_VENDOR_API ULONG GetPDSState(ULONG* pEnabledStatus, ULONG* pTrackingStatus);
VESK_VENDOR_API ULONG SetPDSState(ULONG enable);
VESK_VENDOR_API ULONG StartPDSTrackingSession(uintptr_t);
VESK_VENDOR_API ULONG StopPDSTrackingSession(void);
VESK_VENDOR_API ULONG GetFirmwareIDW(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetFirmwareIDA(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UpgradeFirmwareW(ULONG flags, const WCHAR* pDestinationPath);
VESK_VENDOR_API ULONG UpgradeFirmwareA(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetImageInfoW(const WCHAR* pPath, ULONG* pFirmwareID, ULONG* pTechnology,
                                    ULONG* pCarrier, ULONG* pRegion, ULONG* pGPSCapability);
VESK_VENDOR_API ULONG GetImageInfoA(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetImageStoreW(ULONG pathSize, WCHAR* pImageStorePath);
VESK_VENDOR_API ULONG GetImageStoreA(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetSessionStateCallback(SessionStateCallbackFn pCallback);
VESK_VENDOR_API ULONG SetByteTotalsCallback(ByteTotalsCallbackFn pCallback, BYTE interval);
VESK_VENDOR_API ULONG SetDataCapabilitiesCallback(DataCapabilitiesCallbackFn pCallback);
VESK_VENDOR_API ULONG SetDataBearerCallback(uintptr_t);
VESK_VENDOR_API ULONG SetDormancyStatusCallback(uintptr_t);
VESK_VENDOR_API ULONG SetActivationStatusCallback(ActivationStatusCallbackFn pCallback);
VESK_VENDOR_API ULONG SetRoamingIndicatorCallback(RoamingIndicatorCallbackFn pCallback);
VESK_VENDOR_API ULONG SetSignalStrengthCallback(SignalStrengthCallbackFn pCallback, BYTE thresholdsSize,
                                                INT8* pThresholds);
VESK_VENDOR_API ULONG SetNewSMSCallback(NewSMSCallbackFn pCallback);
VESK_VENDOR_API ULONG SetNMEACallback(NMEACallbackFn pCallback);
VESK_VENDOR_API ULONG SetPDSStateCallback(PDSStateCallbackFn pCallback);

// ---- Entry points of one generation ----
// The second generation exports all of these; the first generation exports only GetRFInfo and
// SetRFInfoCallback, with the same parameters.
VESK_VENDOR_API ULONG GetRFInfo(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetRFInfoCallback(uintptr_t);
VESK_VENDOR_API ULONG QCWWAN2kEnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices);
VESK_VENDOR_API ULONG QCWWAN2kConnect(const char* pDeviceID, const char* pDeviceKey);
VESK_VENDOR_API ULONG QCWWAN2kGetConnectedDeviceID(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetIPAddress(uintptr_t);
VESK_VENDOR_API ULONG GetMobileIPProfile2(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t,
                                          uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG PerformNetworkScan(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG InitiateNetworkRegistration(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG InitiateDomainAttach(uintptr_t);
VESK_VENDOR_API ULONG GetFirmwareRevisions(BYTE amssSize, char* pAMSS, BYTE bootSize, char* pBoot,
                                           BYTE priSize, char* pPRI);
VESK_VENDOR_API ULONG GetIMSI(BYTE stringSize, char* pString);
VESK_VENDOR_API ULONG GetOfflineReason(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMGetICCID(BYTE stringSize, char* pString);
VESK_VENDOR_API ULONG UIMGetControlKeyStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMSetControlKeyProtection(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMUnblockControlKey(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG PDSInjectTimeReference(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetPDSDefaults(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetPDSDefaults(uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetXTRAAutomaticDownload(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetXTRAAutomaticDownload(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetXTRANetwork(uintptr_t);
VESK_VENDOR_API ULONG SetXTRANetwork(uintptr_t);
VESK_VENDOR_API ULONG GetXTRAValidity(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG ForceXTRADownload(void);
VESK_VENDOR_API ULONG GetAGPSConfig(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetAGPSConfig(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetServiceAutomaticTracking(ULONG* pAuto);
VESK_VENDOR_API ULONG SetServiceAutomaticTracking(ULONG automatic);
VESK_VENDOR_API ULONG GetPortAutomaticTracking(uintptr_t);
VESK_VENDOR_API ULONG SetPortAutomaticTracking(uintptr_t);
VESK_VENDOR_API ULONG ResetPDSData(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG CATSendTerminalResponse(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG CATSendEnvelopeCommand(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG GetSMSWake(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetSMSWake(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG OMADMStartSession(uintptr_t);
VESK_VENDOR_API ULONG OMADMCancelSession(void);
VESK_VENDOR_API ULONG OMADMGetSessionInfo(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG OMADMGetPendingNIA(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG OMADMSendSelection(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG OMADMGetFeatureSettings(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG OMADMSetProvisioningFeature(uintptr_t);
VESK_VENDOR_API ULONG OMADMSetPRLUpdateFeature(uintptr_t);
VESK_VENDOR_API ULONG UpgradeFirmware2kW(uintptr_t);
VESK_VENDOR_API ULONG UpgradeFirmware2kA(uintptr_t);
VESK_VENDOR_API ULONG SetMobileIPStatusCallback(uintptr_t);
VESK_VENDOR_API ULONG SetPowerCallback(PowerCallbackFn pCallback);
VESK_VENDOR_API ULONG SetLURejectCallback(uintptr_t);
VESK_VENDOR_API ULONG SetNMEAPlusCallback(uintptr_t);
VESK_VENDOR_API ULONG SetCATEventCallback(uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetOMADMAlertCallback(uintptr_t);
VESK_VENDOR_API ULONG SetOMADMStateCallback(uintptr_t);
VESK_VENDOR_API ULONG QCWWANCancel(void);
VESK_VENDOR_API ULONG CancelDataSession(void);
VESK_VENDOR_API ULONG GetSMSRoutes(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetSMSRoutes(uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG UIMGetControlKeyBlockingStatus(uintptr_t, uintptr_t, uintptr_t, uintptr_t, uintptr_t);
VESK_VENDOR_API ULONG SetDeviceRemovalCallback(DeviceRemovalCallbackFn pCallback);

}  // extern "C"

static_assert(sizeof(VendorDeviceRecord) == 272, "device records are 272 bytes");

// Vendor results the module tests.
inline constexpr ULONG GENERAL_ERROR = 1;
inline constexpr ULONG INVALID_ARGUMENT = 4;
inline constexpr ULONG NO_WWAN_DEVICE = 6;
inline constexpr ULONG NO_CONNECTION_TO_WWAN_DEVICE = 8;
inline constexpr ULONG RETRY_LATER = 15;
inline constexpr ULONG FILE_OPEN_FAILED = 19;
inline constexpr ULONG QMI_ERR_RETRY_LATER = 1014;
inline constexpr ULONG QMI_ERR_NOT_PROVISIONED = 1016;
inline constexpr ULONG QMI_ERR_NO_EFFECT = 1026;

// X(name, parameterCount): the entry points of both generations, in table order.
#define VESK_COMMON_ENTRY_POINTS(X)   \
  X(QCWWANConnect, 0)                 \
  X(QCWWANDisconnect, 0)              \
  X(QCWWANGetConnectedDeviceID, 2)    \
  X(GetSessionState, 1)               \
  X(GetSessionDuration, 1)            \
  X(GetDormancyState, 1)              \
  X(GetAutoconnect, 1)                \
  X(SetAutoconnect, 1)                \
  X(SetDefaultProfile, 10)            \
  X(GetDefaultProfile, 12)            \
  X(StartDataSession, 11)             \
  X(StartDataSession2, 12)            \
  X(StopDataSession, 1)               \
  X(GetConnectionRate, 4)             \
  X(GetPacketStatus, 6)               \
  X(GetByteTotals, 2)                 \
  X(SetMobileIP, 1)                   \
  X(GetMobileIP, 1)                   \
  X(SetActiveMobileIPProfile, 2)      \
  X(GetActiveMobileIPProfile, 1)      \
  X(SetMobileIPProfile, 12)           \
  X(GetMobileIPProfile, 10)           \
  X(SetMobileIPParameters, 8)         \
  X(GetMobileIPParameters, 7)         \
  X(GetLastMobileIPError, 1)          \
  X(GetANAAAAuthenticationStatus, 1)  \
  X(GetSignalStrength, 2)             \
  X(GetSignalStrengths, 3)            \
  X(GetServingNetwork, 11)            \
  X(GetServingNetworkCapabilities, 2) \
  X(GetDataBearerTechnology, 1)       \
  X(GetHomeNetwork, 6)                \
  X(SetNetworkPreference, 2)          \
  X(GetNetworkPreference, 3)          \
  X(SetCDMANetworkParameters, 7)      \
  X(GetCDMANetworkParameters, 11)     \
  X(GetACCOLC, 1)                     \
  X(SetACCOLC, 2)                     \
  X(GetDeviceCapabilities, 6)         \
  X(GetManufacturer, 2)               \
  X(GetModelID, 2)                    \
  X(GetFirmwareRevision, 2)           \
  X(GetFirmwareInfo, 5)               \
  X(GetVoiceNumber, 4)                \
  X(GetSerialNumbers, 6)              \
  X(SetLock, 2)                       \
  X(QueryLock, 1)                     \
  X(ChangeLockPIN, 2)                 \
  X(GetHardwareRevision, 2)           \
  X(GetPRLVersion, 1)                 \
  X(GetERIFile, 2)                    \
  X(ActivateAutomatic, 1)             \
  X(ActivateManual, 8)                \
  X(ResetToFactoryDefaults, 1)        \
  X(GetActivationState, 1)            \
  X(SetPower, 1)                      \
  X(GetPower, 1)                      \
  X(GetNetworkTime, 2)                \
  X(ValidateSPC, 1)                   \
  X(DeleteSMS, 3)                     \
  X(GetSMSList, 4)                    \
  X(GetSMS, 6)                        \
  X(ModifySMSStatus, 3)               \
  X(SaveSMS, 5)                       \
  X(SendSMS, 4)                       \
  X(GetSMSCAddress, 4)                \
  X(SetSMSCAddress, 2)                \
  X(UIMSetPINProtection, 5)           \
  X(UIMVerifyPIN, 4)                  \
  X(UIMUnblockPIN, 5)                 \
  X(UIMChangePIN, 5)                  \
  X(UIMGetPINStatus, 4)               \
  X(GetPDSState, 2)                   \
  X(SetPDSState, 1)                   \
  X(StartPDSTrackingSession, 1)       \
  X(StopPDSTrackingSession, 0)        \
  X(GetFirmwareIDW, 2)                \
  X(GetFirmwareIDA, 2)                \
  X(UpgradeFirmwareW, 2)              \
  X(UpgradeFirmwareA, 2)              \
  X(GetImageInfoW, 6)                 \
  X(GetImageInfoA, 6)                 \
  X(GetImageStoreW, 2)                \
  X(GetImageStoreA, 2)                \
  X(SetSessionStateCallback, 1)       \
  X(SetByteTotalsCallback, 2)         \
  X(SetDataCapabilitiesCallback, 1)   \
  X(SetDataBearerCallback, 1)         \
  X(SetDormancyStatusCallback, 1)     \
  X(SetActivationStatusCallback, 1)   \
  X(SetRoamingIndicatorCallback, 1)   \
  X(SetSignalStrengthCallback, 3)     \
  X(SetNewSMSCallback, 1)             \
  X(SetNMEACallback, 1)               \
  X(SetPDSStateCallback, 1)

// X(name, generation, exportedName, parameterCount): each generation's own entry points, in table
// order; generation is 2 (second) or 1 (first). The first generation's two are named with a "1K"
// suffix here and exported under the second generation's names.
#define VESK_OWN_ENTRY_POINTS(X)                                          \
  X(GetRFInfo, 2, GetRFInfo, 2)                                           \
  X(GetRFInfo1K, 1, GetRFInfo, 2)                                         \
  X(SetRFInfoCallback, 2, SetRFInfoCallback, 1)                           \
  X(SetRFInfoCallback1K, 1, SetRFInfoCallback, 1)                         \
  X(QCWWAN2kEnumerateDevices, 2, QCWWAN2kEnumerateDevices, 2)             \
  X(QCWWAN2kConnect, 2, QCWWAN2kConnect, 2)                               \
  X(QCWWAN2kGetConnectedDeviceID, 2, QCWWAN2kGetConnectedDeviceID, 4)     \
  X(GetIPAddress, 2, GetIPAddress, 1)                                     \
  X(GetMobileIPProfile2, 2, GetMobileIPProfile2, 12)                      \
  X(PerformNetworkScan, 2, PerformNetworkScan, 2)                         \
  X(InitiateNetworkRegistration, 2, InitiateNetworkRegistration, 4)       \
  X(InitiateDomainAttach, 2, InitiateDomainAttach, 1)                     \
  X(GetFirmwareRevisions, 2, GetFirmwareRevisions, 6)                     \
  X(GetIMSI, 2, GetIMSI, 2)                                               \
  X(GetOfflineReason, 2, GetOfflineReason, 2)                             \
  X(UIMGetICCID, 2, UIMGetICCID, 2)                                       \
  X(UIMGetControlKeyStatus, 2, UIMGetControlKeyStatus, 4)                 \
  X(UIMSetControlKeyProtection, 2, UIMSetControlKeyProtection, 4)         \
  X(UIMUnblockControlKey, 2, UIMUnblockControlKey, 3)                     \
  X(PDSInjectTimeReference, 2, PDSInjectTimeReference, 3)                 \
  X(GetPDSDefaults, 2, GetPDSDefaults, 4)                                 \
  X(SetPDSDefaults, 2, SetPDSDefaults, 4)                                 \
  X(GetXTRAAutomaticDownload, 2, GetXTRAAutomaticDownload, 2)             \
  X(SetXTRAAutomaticDownload, 2, SetXTRAAutomaticDownload, 2)             \
  X(GetXTRANetwork, 2, GetXTRANetwork, 1)                                 \
  X(SetXTRANetwork, 2, SetXTRANetwork, 1)                                 \
  X(GetXTRAValidity, 2, GetXTRAValidity, 3)                               \
  X(ForceXTRADownload, 2, ForceXTRADownload, 0)                           \
  X(GetAGPSConfig, 2, GetAGPSConfig, 2)                                   \
  X(SetAGPSConfig, 2, SetAGPSConfig, 2)                                   \
  X(GetServiceAutomaticTracking, 2, GetServiceAutomaticTracking, 1)       \
  X(SetServiceAutomaticTracking, 2, SetServiceAutomaticTracking, 1)       \
  X(GetPortAutomaticTracking, 2, GetPortAutomaticTracking, 1)             \
  X(SetPortAutomaticTracking, 2, SetPortAutomaticTracking, 1)             \
  X(ResetPDSData, 2, ResetPDSData, 2)                                     \
  X(CATSendTerminalResponse, 2, CATSendTerminalResponse, 3)               \
  X(CATSendEnvelopeCommand, 2, CATSendEnvelopeCommand, 3)                 \
  X(GetSMSWake, 2, GetSMSWake, 2)                                         \
  X(SetSMSWake, 2, SetSMSWake, 2)                                         \
  X(OMADMStartSession, 2, OMADMStartSession, 1)                           \
  X(OMADMCancelSession, 2, OMADMCancelSession, 0)                         \
  X(OMADMGetSessionInfo, 2, OMADMGetSessionInfo, 6)                       \
  X(OMADMGetPendingNIA, 2, OMADMGetPendingNIA, 2)                         \
  X(OMADMSendSelection, 2, OMADMSendSelection, 2)                         \
  X(OMADMGetFeatureSettings, 2, OMADMGetFeatureSettings, 2)               \
  X(OMADMSetProvisioningFeature, 2, OMADMSetProvisioningFeature, 1)       \
  X(OMADMSetPRLUpdateFeature, 2, OMADMSetPRLUpdateFeature, 1)             \
  X(UpgradeFirmware2kW, 2, UpgradeFirmware2kW, 1)                         \
  X(UpgradeFirmware2kA, 2, UpgradeFirmware2kA, 1)                         \
  X(SetMobileIPStatusCallback, 2, SetMobileIPStatusCallback, 1)           \
  X(SetPowerCallback, 2, SetPowerCallback, 1)                             \
  X(SetLURejectCallback, 2, SetLURejectCallback, 1)                       \
  X(SetNMEAPlusCallback, 2, SetNMEAPlusCallback, 1)                       \
  X(SetCATEventCallback, 2, SetCATEventCallback, 3)                       \
  X(SetOMADMAlertCallback, 2, SetOMADMAlertCallback, 1)                   \
  X(SetOMADMStateCallback, 2, SetOMADMStateCallback, 1)                   \
  X(QCWWANCancel, 2, QCWWANCancel, 0)                                     \
  X(CancelDataSession, 2, CancelDataSession, 0)                           \
  X(GetSMSRoutes, 2, GetSMSRoutes, 2)                                     \
  X(SetSMSRoutes, 2, SetSMSRoutes, 2)                                     \
  X(UIMGetControlKeyBlockingStatus, 2, UIMGetControlKeyBlockingStatus, 5) \
  X(SetDeviceRemovalCallback, 2, SetDeviceRemovalCallback, 1)

// The function-pointer type of every entry point: QCWWAN2kConnect_t, GetRFInfo1K_t, ...
#define VESK_DECLARE_COMMON_TYPE(name, count) using name##_t = decltype(&name);
#define VESK_DECLARE_OWN_TYPE(name, generation, exported, count) using name##_t = decltype(&exported);
VESK_COMMON_ENTRY_POINTS(VESK_DECLARE_COMMON_TYPE)
VESK_OWN_ENTRY_POINTS(VESK_DECLARE_OWN_TYPE)
#undef VESK_DECLARE_COMMON_TYPE
#undef VESK_DECLARE_OWN_TYPE

namespace vesk_vendor_detail {
template <typename F>
struct Arity;
template <typename... A>
struct Arity<ULONG (*)(A...)> {
  static constexpr std::size_t value = sizeof...(A);
};
}  // namespace vesk_vendor_detail

// The lists' parameter counts match the prototypes.
#define VESK_CHECK_COMMON_ARITY(name, count) \
  static_assert(vesk_vendor_detail::Arity<name##_t>::value == (count), #name);
#define VESK_CHECK_OWN_ARITY(name, generation, exported, count) \
  static_assert(vesk_vendor_detail::Arity<name##_t>::value == (count), #name);
VESK_COMMON_ENTRY_POINTS(VESK_CHECK_COMMON_ARITY)
VESK_OWN_ENTRY_POINTS(VESK_CHECK_OWN_ARITY)
#undef VESK_CHECK_COMMON_ARITY
#undef VESK_CHECK_OWN_ARITY

#endif  // VESK_FACADE_VENDOR_API_H
