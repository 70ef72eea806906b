// Service selection: the modem's network preference (2G only, 3G only or automatic) as the host's
// service-selection value, read back and written permanently.
#include "device/vesk_sdk.h"
#include "facade/enumerations.h"
#include "platform/clock.h"
#include "trace/scope_trace.h"
#include "vesk/values.h"

namespace {

// The technology preference: bits 0-1 the technology, the bits above them the protocol.
constexpr ULONG kTechnologyMask = 0x3;
constexpr int kProtocolShift = 2;

constexpr ULONG kPreferenceAutomatic = 0;
constexpr ULONG kPreferenceCdma = 1;
constexpr ULONG kPreferenceUmts = 2;

constexpr ULONG kCdmaProtocol2G = 2;
constexpr ULONG kCdmaProtocol3G = 4;
constexpr ULONG kUmtsProtocol2G = 1;
constexpr ULONG kUmtsProtocol3G = 2;

// Duration 1: the current preference lasts only until the modem restarts.
constexpr ULONG kDurationPermanent = 0;
constexpr ULONG kDurationTemporary = 1;

}  // namespace

int32_t CVeskSDK::DecodeTechnologyPreference(ULONG preference) {
  const ULONG protocol = preference >> kProtocolShift;
  switch (preference & kTechnologyMask) {
    case kPreferenceAutomatic:
      Trace(kTraceLevelInfo, u"currently using an automatic service selection");
      return NORMAL_SERVICESELECTION_Default;
    case kPreferenceCdma:
      Trace(kTraceLevelInfo, u"currently a specific CDMA service selection mode is set");
      if (protocol == kCdmaProtocol2G) {
        Trace(kTraceLevelInfo, u"currently using a 2G only protocol");
        return NORMAL_SERVICESELECTION_2G_ONLY;
      }
      if (protocol == kCdmaProtocol3G) {
        Trace(kTraceLevelInfo, u"currently using a 3G only protocol");
        return NORMAL_SERVICESELECTION_3G_ONLY;
      }
      Trace(kTraceLevelError, u"invalid cdma protocol preference (0x%08X)", preference);
      return NORMAL_SERVICESELECTION_Not_Supported;
    case kPreferenceUmts:
      Trace(kTraceLevelInfo, u"currently a specific GSM service selection mode is set");
      if (protocol == kUmtsProtocol2G) {
        Trace(kTraceLevelInfo, u"currently using a 2G only protocol");
        return NORMAL_SERVICESELECTION_2G_ONLY;
      }
      if (protocol == kUmtsProtocol3G) {
        Trace(kTraceLevelInfo, u"currently using a 3G only protocol");
        return NORMAL_SERVICESELECTION_3G_ONLY;
      }
      Trace(kTraceLevelError, u"invalid protocol preference (0x%08X)", preference);
      return NORMAL_SERVICESELECTION_Not_Supported;
    default:
      Trace(kTraceLevelError, u"invalid technology preference (0x%08X)", preference);
      return NORMAL_SERVICESELECTION_Not_Supported;
  }
}

bool CVeskSDK::GetCellularServiceSelection(int32_t* selection) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularServiceSelection");
  if (!IsOpenFor("CVeskSDK::GetCellularServiceSelection")) {
    return false;
  }
  int32_t value = NORMAL_SERVICESELECTION_Not_Supported;
  ULONG preference = 0;
  ULONG duration = kDurationPermanent;
  ULONG persistent = 0;
  ULONG result = facade_.GetNetworkPreference(&preference, &duration, &persistent);
  if (IsRetryableResult(result)) {
    Trace(kTraceLevelError, u"Retry GetNetworkPreference, previous result %lu", result);
    platform::Sleep(kQueryRetryPauseMs);
    result = facade_.GetNetworkPreference(&preference, &duration, &persistent);
  }
  if (result != 0) {
    Trace(kTraceLevelError, u"GetNetworkPreference failed (%lu)", result);
  } else {
    value = DecodeTechnologyPreference(preference);
    if (duration == kDurationTemporary && preference != persistent) {
      Trace(kTraceLevelInfo,
            u"the current service selection is different than the persistent setting (t:0x%08X, p:0x%08X)",
            preference, persistent);
    }
  }
  // The host reads the value whatever happened; a null pointer has nowhere to take it.
  if (selection != nullptr) {
    *selection = value;
  }
  return result == 0;
}

bool CVeskSDK::SetCellularServiceSelection(int32_t selection) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetCellularServiceSelection");
  if (!IsOpenFor("CVeskSDK::SetCellularServiceSelection")) {
    return false;
  }
  const uint32_t technology = WithInfo([](CachedCellularInfo& info) { return info.technology; });
  if (technology != TECHNOLOGY_CDMA && technology != TECHNOLOGY_UMTS) {
    Trace(kTraceLevelError,
          u"cannot set cellular service selection mode when the current device technology is not CDMA or GSM "
          u"(%d)",
          technology);
    return false;
  }
  if (GetConnectionCapability() == NORMAL_SERVICETYPE_Unknown) {
    Trace(kTraceLevelWarning, u"Setting service selection while service type is unknown");
  }
  Trace(kTraceLevelInfo, u"attempting to set the service selection preference to '%ws'",
        VeskSDKFacade::ServiceSelectionText(selection).c_str());
  const VeskSDKFacade::TechnologyPreference preferences =
      VeskSDKFacade::TechnologyPreferenceForServiceSelection(selection);
  const bool umts = technology == TECHNOLOGY_UMTS;
  const ULONG preference = umts ? preferences.gsm : preferences.cdma;
  Trace(kTraceLevelInfo, u"using the ULONG value of '%d' to set the Vesk cellular service selection ('%ws' mode)",
        preference, umts ? u"GSM" : u"CDMA");
  const ULONG result = facade_.SetNetworkPreference(preference, kDurationPermanent);
  if (result != 0) {
    Trace(kTraceLevelError, u"SetNetworkPreference failed (%lu)", result);
    return false;
  }
  return true;
}
