#include "facade/enumerations.h"

#include <cstdio>
#include <span>

#include "platform/text.h"
#include "vesk/values.h"

namespace VeskSDKFacade {

namespace {

template <typename T>
struct TextRow {
  T value;
  const char16_t* text;
};

template <typename T>
const char16_t* FindText(std::span<const TextRow<T>> rows, T value) {
  for (const auto& row : rows) {
    if (row.value == value) {
      return row.text;
    }
  }
  return nullptr;
}

constexpr char16_t kUnknownMapping[] = u"unknown mapping: ";

// "unknown mapping: " followed by value printed with format.
template <typename T>
std::u16string UnknownMapping(const char* format, T value) {
  char number[32];
  std::snprintf(number, sizeof(number), format, value);
  return kUnknownMapping + platform::Widen(number);
}

template <typename T>
std::u16string TextOr(std::span<const TextRow<T>> rows, T value, std::u16string fallback) {
  const char16_t* text = FindText(rows, value);
  return text != nullptr ? std::u16string(text) : fallback;
}

constexpr TextRow<int32_t> kSIMPinStatusTexts[] = {
    {SIMPinStatus_Unknown, u"VeskSDKFacade::SIMPinStatus_Unknown"},
    {SIMPinStatus_Uninitialized, u"VeskSDKFacade::SIMPinStatus_Uninitialized"},
    {SIMPinStatus_Enabled_NotVerified, u"VeskSDKFacade::SIMPinStatus_Enabled_NotVerified"},
    {SIMPinStatus_Enabled_Verified, u"VeskSDKFacade::SIMPinStatus_Enabled_Verified"},
    {SIMPinStatus_Disabled, u"VeskSDKFacade::SIMPinStatus_Disabled"},
    {SIMPinStatus_Blocked, u"VeskSDKFacade::SIMPinStatus_Blocked"},
    {SIMPinStatus_PermanentlyBlocked, u"VeskSDKFacade::SIMPinStatus_PermanentlyBlocked"},
};

constexpr TextRow<uint32_t> kSimResultTexts[] = {
    {SimSuccess, u"VeskSDKFacade::SimSuccess"},
    {SimMissing, u"VeskSDKFacade::SimMissing"},
    {SimNotInitialized, u"VeskSDKFacade::SimNotInitialized"},
    {SimUnknownError, u"VeskSDKFacade::SimUnknownError"},
};

constexpr TextRow<uint32_t> kSimStatusBitTexts[] = {
    {NORMAL_SIM_STATUS_READY, u"NORMAL_SIM_STATUS_READY"},
    {NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED, u"NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED"},
    {NORMAL_SIM_STATUS_PIN1_REQUIRED, u"NORMAL_SIM_STATUS_PIN1_REQUIRED"},
    {NORMAL_SIM_STATUS_PUK1_REQUIRED, u"NORMAL_SIM_STATUS_PUK1_REQUIRED"},
    {NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED, u"NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED"},
    {NORMAL_SIM_STATUS_PIN2_REQUIRED, u"NORMAL_SIM_STATUS_PIN2_REQUIRED"},
    {NORMAL_SIM_STATUS_PUK2_REQUIRED, u"NORMAL_SIM_STATUS_PUK2_REQUIRED"},
    {NORMAL_SIM_STATUS_NOT_INITIALIZED, u"NORMAL_SIM_STATUS_NOT_INITIALIZED"},
    {NORMAL_SIM_STATUS_OTHER, u"NORMAL_SIM_STATUS_OTHER"},
    {NORMAL_SIM_STATUS_ILLEGAL, u"NORMAL_SIM_STATUS_ILLEGAL"},
    {NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED, u"NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED"},
    {NORMAL_SIM_STATUS_UNKNOWN, u"NORMAL_SIM_STATUS_UNKNOWN"},
    {NORMAL_SIM_STATUS_NOT_EQUIP, u"NORMAL_SIM_STATUS_NOT_EQUIP"},
};

constexpr TextRow<uint32_t> kSimStatusShortTexts[] = {
    {1, u"SIM READY"},
    {3, u"SIM PIN1 VERIFIED"},
    {17, u"SIM PIN2 VERIFIED"},
    {6, u"SIM PIN1 LOCKED"},
    {48, u"SIM PIN2 LOCKED"},
    {32768, u"SIM MISSING"},
    {16384, u"SIM STATUS UNKNOWN"},
};

constexpr TextRow<int32_t> kServiceSelectionTexts[] = {
    {NORMAL_SERVICESELECTION_Not_Supported, u"NORMAL_SERVICESELECTION_Not_Supported"},
    {NORMAL_SERVICESELECTION_Default, u"NORMAL_SERVICESELECTION_Default"},
    {NORMAL_SERVICESELECTION_2G_ONLY, u"NORMAL_SERVICESELECTION_2G_ONLY"},
    {NORMAL_SERVICESELECTION_3G_ONLY, u"NORMAL_SERVICESELECTION_3G_ONLY"},
    {NORMAL_SERVICESELECTION_3G_Preferred, u"NORMAL_SERVICESELECTION_3G_Preferred"},
};

constexpr TextRow<int32_t> kServiceTypeTexts[] = {
    {NORMAL_SERVICETYPE_Unknown, u"NORMAL_SERVICETYPE_Unknown"},
    {NORMAL_SERVICETYPE_None, u"NORMAL_SERVICETYPE_None"},
    {NORMAL_SERVICETYPE_PacketSwitched, u"NORMAL_SERVICETYPE_PacketSwitched"},
    {NORMAL_SERVICETYPE_CircuitSwitched, u"NORMAL_SERVICETYPE_CircuitSwitched"},
    {NORMAL_SERVICETYPE_GSM, u"NORMAL_SERVICETYPE_GSM"},
    {NORMAL_SERVICETYPE_CDMA, u"NORMAL_SERVICETYPE_CDMA"},
    {NORMAL_SERVICETYPE_1xRTT, u"NORMAL_SERVICETYPE_1xRTT"},
    {NORMAL_SERVICETYPE_1xEVDORev0, u"NORMAL_SERVICETYPE_1xEVDORev0"},
    {NORMAL_SERVICETYPE_1xEVDV, u"NORMAL_SERVICETYPE_1xEVDV"},
    {NORMAL_SERVICETYPE_1xEVDORevA, u"NORMAL_SERVICETYPE_1xEVDORevA"},
    {NORMAL_SERVICETYPE_GPRS, u"NORMAL_SERVICETYPE_GPRS"},
    {NORMAL_SERVICETYPE_UMTS, u"NORMAL_SERVICETYPE_UMTS"},
    {NORMAL_SERVICETYPE_EDGE, u"NORMAL_SERVICETYPE_EDGE"},
    {NORMAL_SERVICETYPE_HSDPA, u"NORMAL_SERVICETYPE_HSDPA"},
    {NORMAL_SERVICETYPE_HSUPA, u"NORMAL_SERVICETYPE_HSUPA"},
    {NORMAL_SERVICETYPE_HSPA, u"NORMAL_SERVICETYPE_HSPA"},
    {NORMAL_SERVICETYPE_LTE, u"NORMAL_SERVICETYPE_LTE"},
};

constexpr TextRow<uint32_t> kDataCapsTexts[] = {
    {DATACAPS_UNKNOWN, u"VeskSDKFacade::DATACAPS_UNKNOWN"},
    {DATACAPS_GPRS, u"VeskSDKFacade::DATACAPS_GPRS"},
    {DATACAPS_EDGE, u"VeskSDKFacade::DATACAPS_EDGE"},
    {DATACAPS_HSDPA, u"VeskSDKFacade::DATACAPS_HSDPA"},
    {DATACAPS_HSUPA, u"VeskSDKFacade::DATACAPS_HSUPA"},
    {DATACAPS_WCDMA, u"VeskSDKFacade::DATACAPS_WCDMA"},
    {DATACAPS_1xRTT, u"VeskSDKFacade::DATACAPS_1xRTT"},
    {DATACAPS_1xEVDORev0, u"VeskSDKFacade::DATACAPS_1xEVDORev0"},
    {DATACAPS_1xEVDORevA, u"VeskSDKFacade::DATACAPS_1xEVDORevA"},
    {DATACAPS_GSM, u"VeskSDKFacade::DATACAPS_GSM"},
};

constexpr TextRow<int32_t> kAutoconnectModeTexts[] = {
    {NORMAL_AUTOCONNECT_Disabled, u"NORMAL_AUTOCONNECT_Disabled"},
    {NORMAL_AUTOCONNECT_Enabled, u"NORMAL_AUTOCONNECT_Enabled"},
    {NORMAL_AUTOCONNECT_Unsupported, u"NORMAL_AUTOCONNECT_Unsupported"},
    {NORMAL_AUTOCONNECT_Unknown, u"NORMAL_AUTOCONNECT_Unknown"},
};

constexpr TextRow<uint32_t> kAutoconnectSettingTexts[] = {
    {AUTOCONNECT_Disabled, u"VeskSDKFacade::AUTOCONNECT_Disabled"},
    {AUTOCONNECT_Enabled, u"VeskSDKFacade::AUTOCONNECT_Enabled"},
    {AUTOCONNECT_Unknown, u"VeskSDKFacade::AUTOCONNECT_Unknown"},
};

struct PinStatusRow {
  int32_t pinStatus;
  SimStatusBitsOfPin bits;
};

constexpr PinStatusRow kPinStatusBits[] = {
    {SIMPinStatus_Unknown, {NORMAL_SIM_STATUS_UNKNOWN, NORMAL_SIM_STATUS_UNKNOWN}},
    {SIMPinStatus_Uninitialized, {NORMAL_SIM_STATUS_NOT_INITIALIZED, NORMAL_SIM_STATUS_NOT_INITIALIZED}},
    {SIMPinStatus_Enabled_NotVerified,
     {NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED | NORMAL_SIM_STATUS_PIN2_REQUIRED,
      NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED | NORMAL_SIM_STATUS_PIN1_REQUIRED}},
    {SIMPinStatus_Enabled_Verified,
     {NORMAL_SIM_STATUS_READY | NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED,
      NORMAL_SIM_STATUS_READY | NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED}},
    {SIMPinStatus_Disabled, {NORMAL_SIM_STATUS_READY, NORMAL_SIM_STATUS_READY}},
    {SIMPinStatus_Blocked, {NORMAL_SIM_STATUS_PUK2_REQUIRED, NORMAL_SIM_STATUS_PUK1_REQUIRED}},
    {SIMPinStatus_PermanentlyBlocked,
     {NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED, NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED}},
};

struct SimResultRow {
  uint32_t simResult;
  uint32_t bits;
};

constexpr SimResultRow kSimResultBits[] = {
    {SimSuccess, NORMAL_SIM_STATUS_READY},
    {SimMissing, NORMAL_SIM_STATUS_NOT_EQUIP},
    {SimNotInitialized, NORMAL_SIM_STATUS_NOT_INITIALIZED},
    {SimUnknownError, NORMAL_SIM_STATUS_UNKNOWN},
};

struct ServiceTypeRow {
  int32_t serviceType;
  uint32_t dataCaps;
};

constexpr ServiceTypeRow kServiceTypeDataCaps[] = {
    {NORMAL_SERVICETYPE_Unknown, DATACAPS_UNKNOWN},
    {NORMAL_SERVICETYPE_GSM, DATACAPS_GSM},
    {NORMAL_SERVICETYPE_GPRS, DATACAPS_GPRS},
    {NORMAL_SERVICETYPE_EDGE, DATACAPS_EDGE},
    {NORMAL_SERVICETYPE_HSDPA, DATACAPS_HSDPA},
    {NORMAL_SERVICETYPE_HSUPA, DATACAPS_HSUPA},
    {NORMAL_SERVICETYPE_UMTS, DATACAPS_WCDMA},
    {NORMAL_SERVICETYPE_1xRTT, DATACAPS_1xRTT},
    {NORMAL_SERVICETYPE_1xEVDORev0, DATACAPS_1xEVDORev0},
    {NORMAL_SERVICETYPE_1xEVDORevA, DATACAPS_1xEVDORevA},
};

struct ServiceSelectionRow {
  int32_t serviceSelection;
  TechnologyPreference preference;
};

constexpr ServiceSelectionRow kServiceSelectionPreferences[] = {
    {NORMAL_SERVICESELECTION_Default, {0, 0}},
    {NORMAL_SERVICESELECTION_2G_ONLY, {9, 6}},
    {NORMAL_SERVICESELECTION_3G_ONLY, {17, 10}},
    {NORMAL_SERVICESELECTION_3G_Preferred, {0, 0}},
};

}  // namespace

std::u16string SIMPinStatusText(int32_t pinStatus) {
  return TextOr<int32_t>(kSIMPinStatusTexts, pinStatus, kUnknownMapping);
}

// A code without a row keeps its number in the text, so an unexpected result can still be told.
std::u16string SimResultText(uint32_t simResult) {
  return TextOr<uint32_t>(kSimResultTexts, simResult, UnknownMapping("%u", simResult));
}

std::u16string DataCapsText(uint32_t dataCaps) {
  return TextOr<uint32_t>(kDataCapsTexts, dataCaps, UnknownMapping("%d", static_cast<int>(dataCaps)));
}

std::u16string AutoconnectSettingText(uint32_t setting) {
  return TextOr<uint32_t>(kAutoconnectSettingTexts, setting, kUnknownMapping);
}

std::u16string SimStatusBitText(uint32_t bitValue) {
  return TextOr<uint32_t>(kSimStatusBitTexts, bitValue, UnknownMapping("%08X", bitValue));
}

std::u16string SimStatusShortText(uint32_t simStatus) {
  return TextOr<uint32_t>(kSimStatusShortTexts, simStatus, u"SIM STATUS UNKNOWN");
}

std::u16string ServiceSelectionText(int32_t serviceSelection) {
  return TextOr<int32_t>(kServiceSelectionTexts, serviceSelection, UnknownMapping("%d", serviceSelection));
}

std::u16string ServiceTypeText(int32_t serviceType) {
  return TextOr<int32_t>(kServiceTypeTexts, serviceType, kUnknownMapping);
}

std::u16string AutoconnectModeText(int32_t autoconnectMode) {
  return TextOr<int32_t>(kAutoconnectModeTexts, autoconnectMode, UnknownMapping("%d", autoconnectMode));
}

std::u16string SimStatusBitsReport(uint32_t simStatus) {
  constexpr std::size_t kNameWidth = 40;
  std::u16string report = u"\n";
  for (int bit = 0; bit < 32; ++bit) {
    const uint32_t bitValue = uint32_t{1} << bit;
    const std::u16string name = SimStatusBitText(bitValue);
    if (name.size() < kNameWidth) {
      report.append(kNameWidth - name.size(), u' ');
    }
    report += name;
    report += (simStatus & bitValue) != 0 ? u" : ENABLED\n" : u" : DISABLED\n";
  }
  return report;
}

std::optional<SimStatusBitsOfPin> SimStatusBitsForPinStatus(int32_t pinStatus) {
  for (const auto& row : kPinStatusBits) {
    if (row.pinStatus == pinStatus) {
      return row.bits;
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> SimStatusBitsForSimResult(uint32_t simResult) {
  for (const auto& row : kSimResultBits) {
    if (row.simResult == simResult) {
      return row.bits;
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> DataCapsForServiceType(int32_t serviceType) {
  for (const auto& row : kServiceTypeDataCaps) {
    if (row.serviceType == serviceType) {
      return row.dataCaps;
    }
  }
  return std::nullopt;
}

std::optional<int32_t> ServiceTypeForDataCaps(uint32_t dataCaps) {
  for (const auto& row : kServiceTypeDataCaps) {
    if (row.dataCaps == dataCaps) {
      return row.serviceType;
    }
  }
  return std::nullopt;
}

TechnologyPreference TechnologyPreferenceForServiceSelection(int32_t serviceSelection) {
  for (const auto& row : kServiceSelectionPreferences) {
    if (row.serviceSelection == serviceSelection) {
      return row.preference;
    }
  }
  return {0, 0};
}

}  // namespace VeskSDKFacade
