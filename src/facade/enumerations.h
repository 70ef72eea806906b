// The facade's enumerations of vendor values, the text of every vendor and normalised (NORMAL_*) value
// written to the log, and the fixed tables that translate vendor values into normalised ones.
//
// All tables are constant data; every lookup may be made from any thread. A value without a row gets
// its enumeration's fallback text, which begins "unknown mapping: ".
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace VeskSDKFacade {

// The state of one SIM PIN, as UIMGetPINStatus reports it (0xFFFFFFFF reads as -1).
enum SIMPinStatus : int32_t {
  SIMPinStatus_Unknown = -1,
  SIMPinStatus_Uninitialized = 0,
  SIMPinStatus_Enabled_NotVerified = 1,
  SIMPinStatus_Enabled_Verified = 2,
  SIMPinStatus_Disabled = 3,
  SIMPinStatus_Blocked = 4,
  SIMPinStatus_PermanentlyBlocked = 5,
};

// The outcome of a SIM query, as vendor result codes.
enum SimResult : uint32_t {
  SimSuccess = 0,
  SimUnknownError = 1,
  SimMissing = 1003,
  SimNotInitialized = 1082,
};

// A data capability of the serving network, as the vendor library numbers it.
enum DataCaps : uint32_t {
  DATACAPS_UNKNOWN = 0,
  DATACAPS_GPRS = 1,
  DATACAPS_EDGE = 2,
  DATACAPS_HSDPA = 3,
  DATACAPS_HSUPA = 4,
  DATACAPS_WCDMA = 5,
  DATACAPS_1xRTT = 6,
  DATACAPS_1xEVDORev0 = 7,
  DATACAPS_1xEVDORevA = 8,
  DATACAPS_GSM = 9,
};

// The vendor library's autoconnect setting, as GetAutoconnect reports it.
enum AutoconnectSetting : uint32_t {
  AUTOCONNECT_Disabled = 0,
  AUTOCONNECT_Enabled = 1,
  AUTOCONNECT_Unknown = 3,
};

// Texts of vendor values.
std::u16string SIMPinStatusText(int32_t pinStatus);
std::u16string SimResultText(uint32_t simResult);
std::u16string DataCapsText(uint32_t dataCaps);
std::u16string AutoconnectSettingText(uint32_t setting);

// Texts of normalised values.
std::u16string SimStatusBitText(uint32_t bitValue);     // one bit, e.g. 0x4
std::u16string SimStatusShortText(uint32_t simStatus);  // a whole status value, e.g. 3 -> "SIM PIN1 VERIFIED"
std::u16string ServiceSelectionText(int32_t serviceSelection);
std::u16string ServiceTypeText(int32_t serviceType);
std::u16string AutoconnectModeText(int32_t autoconnectMode);

// A line break, then one line per bit 0 to 31: the bit's text right-aligned in 40 characters and
// " : ENABLED" or " : DISABLED", each line ending in a line break.
std::u16string SimStatusBitsReport(uint32_t simStatus);

// The normalised SIM status bits of a PIN status, for PIN 2 and for PIN 1.
struct SimStatusBitsOfPin {
  uint32_t pin2Bits;
  uint32_t pin1Bits;
};
std::optional<SimStatusBitsOfPin> SimStatusBitsForPinStatus(int32_t pinStatus);

// The normalised SIM status bits of a SIM query outcome.
std::optional<uint32_t> SimStatusBitsForSimResult(uint32_t simResult);

// Between normalised service types and the vendor's data capabilities; ten rows.
std::optional<uint32_t> DataCapsForServiceType(int32_t serviceType);
std::optional<int32_t> ServiceTypeForDataCaps(uint32_t dataCaps);

// The technology preference to pass to SetNetworkPreference for a service selection; 0 in both modes
// for a selection without a row.
struct TechnologyPreference {
  uint32_t cdma;
  uint32_t gsm;
};
TechnologyPreference TechnologyPreferenceForServiceSelection(int32_t serviceSelection);

}  // namespace VeskSDKFacade
