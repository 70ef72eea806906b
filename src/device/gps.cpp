// GPS tracking: the host's start and stop, and each NMEA sentence merged into the cached GPS state.
#include <cctype>
#include <string>
#include <string_view>

#include "device/vesk_sdk.h"
#include "nmea/gps_fix.h"
#include "trace/scope_trace.h"
#include "vesk/records.h"

namespace {

// Without surrounding white space, and only up to the first line break inside.
std::string_view FirstLine(std::string_view sentence) {
  while (!sentence.empty() && std::isspace(static_cast<unsigned char>(sentence.back()))) {
    sentence.remove_suffix(1);
  }
  while (!sentence.empty() && std::isspace(static_cast<unsigned char>(sentence.front()))) {
    sentence.remove_prefix(1);
  }
  if (const size_t lineBreak = sentence.find("\r\n"); lineBreak != std::string_view::npos) {
    sentence = sentence.substr(0, lineBreak);
  }
  return sentence;
}

}  // namespace

bool CVeskSDK::StartGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartGPSTracking");
  if (!IsOpenFor("CVeskSDK::StartGPSTracking")) {
    return false;
  }
  if (!StartGPSNotificationTimer()) {
    return false;
  }
  bool result = true;
  facade_.SetNMEACallback(&CVeskSDK::NMEACallback);
  facade_.SetPDSStateCallback(&CVeskSDK::PDSStateCallback);

  // A failed query leaves both at 0, so that PDS is then switched on.
  ULONG enabledStatus = 0;
  ULONG trackingStatus = 0;
  facade_.GetPDSState(&enabledStatus, &trackingStatus);
  Trace(kTraceLevelInfo, u"Previous PDS State enabledStatus=%d, trackingStatus=%d", enabledStatus,
        trackingStatus);
  if (enabledStatus == 0) {
    if (facade_.SetPDSState(1) != 0) {
      Trace(kTraceLevelError, u"Failed to enable PDS state");
      result = false;
    }
  } else {
    Trace(kTraceLevelInfo, u"GPS tracking already enabled");
  }

  ULONG automaticTracking = 0;
  facade_.GetServiceAutomaticTracking(&automaticTracking);
  Trace(kTraceLevelInfo, u"Previous Automatic tracking %d", automaticTracking);
  if (const ULONG code = facade_.SetServiceAutomaticTracking(1); code != 0) {
    Trace(kTraceLevelError, u"Failed to enable automatic tracking, %lu", code);
    result = false;
  }
  return result;
}

bool CVeskSDK::StopGPSTracking() {
  if (!IsOpenFor("CVeskSDK::StopGPSTracking")) {
    return false;
  }
  return EndGPSTracking();
}

bool CVeskSDK::EndGPSTracking() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StopGPSTracking");
  bool result = StopGPSNotificationTimer();
  // The facade answers NO_CONNECTION_TO_WWAN_DEVICE itself when no library is connected.
  if (const ULONG code = facade_.SetServiceAutomaticTracking(0); code != 0) {
    Trace(kTraceLevelError, u"Failed to disable automatic tracking, %lu", code);
    result = false;
  }
  if (facade_.ConnectedGeneration() != VeskSDKFacade::NO_SDK_CONNECTED) {
    facade_.SetNMEACallback(nullptr);
    facade_.SetPDSStateCallback(nullptr);
  }
  return result;
}

void CVeskSDK::HandleNMEA(std::string sentence) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleNMEA");
  const std::string_view line = FirstLine(sentence);
  GpsFix fix;
  bool noFix = false;
  bool invalid = false;
  int32_t type = 0;
  bool parsed = false;
  {
    ScopeTrace parserScope(GetTraceLog(), GetTraceCategory(), "NMEAParser::ParseSentence");
    parsed = nmeaParser_.ParseSentence(line, fix, noFix, invalid, type);
  }
  if (parsed) {
    UpdateCachedGPSInfo(fix);
  } else if (noFix) {
    UpdateCachedGPSInfo(GpsInfo{});
  }
  // An invalid sentence, or one of a type without a position, leaves the cache as it was.
}

void CVeskSDK::HandlePDSState(ULONG enabledStatus, ULONG trackingStatus) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandlePDSState");
  Trace(kTraceLevelInfo, u"PDS State enabledStatus=%d, trackingStatus=%d", enabledStatus, trackingStatus);
}
