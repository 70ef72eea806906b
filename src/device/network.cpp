// Network, roaming and signal: the home and serving network read after an attach, and the signal,
// roaming, byte-total and data-capability reports that the library sends on its own threads.
#include <algorithm>
#include <bitset>
#include <cstring>
#include <new>
#include <optional>
#include <string>

#include "device/signal_strength.h"
#include "device/vesk_sdk.h"
#include "facade/enumerations.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace {

constexpr ULONG kRoamingActive = 0;
constexpr ULONG kRoamingHome = 1;
constexpr ULONG kRoamingPartner = 2;
// Not a value the library reports: the serving network could not be read.
constexpr ULONG kRoamingUnknown = 0xFFFFFFFF;

constexpr uintptr_t kReportRoaming = 1;
constexpr uintptr_t kReportHome = 2;
constexpr uintptr_t kReportUnknown = 0;

constexpr int kNetworkQueryAttempts = 2;
constexpr uint32_t kNetworkRetryPauseMs = 500;
constexpr BYTE kNetworkNameSize = 255;
constexpr BYTE kRadioInterfaceRoom = 255;

// Best first.
constexpr int32_t kGsmServicePreference[] = {NORMAL_SERVICETYPE_HSUPA, NORMAL_SERVICETYPE_HSDPA,
                                             NORMAL_SERVICETYPE_UMTS,  NORMAL_SERVICETYPE_EDGE,
                                             NORMAL_SERVICETYPE_GPRS,  NORMAL_SERVICETYPE_GSM};
constexpr int32_t kCdmaServicePreference[] = {NORMAL_SERVICETYPE_1xEVDORevA, NORMAL_SERVICETYPE_1xEVDORev0,
                                              NORMAL_SERVICETYPE_1xRTT};

using ServiceTypeSet = std::bitset<NORMAL_SERVICETYPE_LTE + 1>;

template <std::size_t N>
std::optional<int32_t> BestOf(const int32_t (&preference)[N], const ServiceTypeSet& found) {
  for (const int32_t type : preference) {
    if (found.test(static_cast<std::size_t>(type))) {
      return type;
    }
  }
  return std::nullopt;
}

// A name the library filled, read no further than its buffer even when it is not terminated.
std::u16string NameText(const char* name, std::size_t size) {
  return platform::Widen(std::string_view(name, strnlen(name, size)));
}

}  // namespace

template <typename Call>
ULONG CVeskSDK::CallWithNetworkRetry(const char16_t* retryMessage, bool withRetry, Call call) {
  ULONG result = call();
  for (int attempt = 1;
       withRetry && attempt < kNetworkQueryAttempts &&
       std::find(retryableResults_.begin(), retryableResults_.end(), result) != retryableResults_.end();
       ++attempt) {
    Trace(kTraceLevelError, retryMessage, result);
    platform::Sleep(kNetworkRetryPauseMs);
    result = call();
  }
  return result;
}

void CVeskSDK::GetCellularNetworkInfo() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularNetworkInfo");
  ReadHomeNetwork();
  const ULONG roaming = ReadServingNetwork();
  Trace(kTraceLevelInfo, u"the roaming setting is: %d", roaming);
  HandleRoamingInfo(roaming);
}

void CVeskSDK::ReadHomeNetwork(bool withRetry) {
  WORD mcc = 0;
  WORD mnc = 0;
  WORD systemId = 0;
  WORD networkId = 0;
  char name[kNetworkNameSize] = {};
  const ULONG result = CallWithNetworkRetry(u"Retry GetHomeNetwork, previous result %lu", withRetry, [&] {
    return facade_.GetHomeNetwork(&mcc, &mnc, kNetworkNameSize, name, &systemId, &networkId);
  });
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get home network info from the vesk device (rc = %d)", result);
    return;
  }
  std::u16string homeName = NameText(name, sizeof(name));
  Trace(kTraceLevelInfo,
        u"Home Network Info:\n--------------------------\n"
        u"MCC/MNC           : %d/%d\n"
        u"Home network name : %ws\n"
        u"home system id    : %d\n"
        u"home network id   : %d\n",
        mcc, mnc, homeName.c_str(), systemId, networkId);
  SetHomeNetworkCode(mcc, mnc);
  if (homeName.empty()) {
    homeName =
        WithInfo([](CachedCellularInfo& info) { return std::u16string(CachedTextView(info.carrierName)); });
    Trace(kTraceLevelInfo, u"setting the home network name to the current carrier name '%ws'",
          homeName.c_str());
  } else {
    Trace(kTraceLevelInfo, u"setting the home network name to actual name '%ws'", homeName.c_str());
  }
  WithInfo([&](CachedCellularInfo& info) { CopyCachedText(info.homeNetworkName, homeName); });
}

ULONG CVeskSDK::ReadServingNetwork(bool withRetry) {
  ULONG registrationState = 0;
  ULONG csDomain = 0;
  ULONG psDomain = 0;
  ULONG ran = 0;
  BYTE radioInterfaceCount = kRadioInterfaceRoom;
  BYTE radioInterfaces[kRadioInterfaceRoom] = {};
  ULONG roaming = kRoamingUnknown;
  WORD mcc = 0;
  WORD mnc = 0;
  char name[kNetworkNameSize] = {};
  const ULONG result = CallWithNetworkRetry(u"Retry GetServingNetwork, previous result %lu", withRetry, [&] {
    radioInterfaceCount = kRadioInterfaceRoom;
    return facade_.GetServingNetwork(&registrationState, &csDomain, &psDomain, &ran, &radioInterfaceCount,
                                     radioInterfaces, &roaming, &mcc, &mnc, kNetworkNameSize, name);
  });
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get the serving network info (rc = %d)", result);
    // What a failed attempt left in the indicator is not the modem's answer.
    return kRoamingUnknown;
  }
  const std::u16string servingName = NameText(name, sizeof(name));
  Trace(kTraceLevelInfo,
        u"Serving Network Info:\n--------------------------\n"
        u"Roaming status       : %ws (%d)\n"
        u"Serving network name : %ws\n"
        u"Serving network id   : %03d/%03d\n"
        u"Serving params       : regstate = %d; csDomain = %d; psDomain = %d; ran = %d\n",
        roaming == kRoamingHome ? u"not roaming" : u"roaming", roaming, servingName.c_str(), mcc, mnc,
        registrationState, csDomain, psDomain, ran);
  SetServingNetworkCode(mcc, mnc);
  SetServingNetworkName(servingName.c_str());
  return roaming;
}

void CVeskSDK::HandleRoamingInfo(ULONG roamingIndicator) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleRoamingInfo");
  uintptr_t report = kReportUnknown;
  switch (roamingIndicator) {
    case kRoamingActive:
      Trace(kTraceLevelInfo, u"device is currently roaming");
      report = kReportRoaming;
      break;
    case kRoamingHome:
      Trace(kTraceLevelInfo, u"device is NOT currently roaming");
      report = kReportHome;
      break;
    case kRoamingPartner:
      Trace(kTraceLevelInfo, u"device is on a roaming partner network");
      report = kReportRoaming;
      break;
    default:
      Trace(kTraceLevelInfo, u"don't know whether the device is roaming (%d)...radio might be off",
            roamingIndicator);
      break;
  }
  PostNotification(WWAN_NOTIFICATION_ROAMING, report, 0);
}

void CVeskSDK::UpdateNetworkCapabilities(BYTE count, const ULONG* capabilities) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UpdateNetworkCapabilities");
  ServiceTypeSet found;
  for (BYTE i = 0; capabilities != nullptr && i < count; ++i) {
    const uint32_t dataCaps = capabilities[i] & 0xFF;
    if (const std::optional<int32_t> type = VeskSDKFacade::ServiceTypeForDataCaps(dataCaps)) {
      found.set(static_cast<std::size_t>(*type));
    }
    Trace(kTraceLevelInfo, u"detected: '%ws'", VeskSDKFacade::DataCapsText(dataCaps).c_str());
  }

  Trace(kTraceLevelInfo, u"looking for the best GSM service type");
  int32_t best = NORMAL_SERVICETYPE_Unknown;
  if (const std::optional<int32_t> gsm = BestOf(kGsmServicePreference, found)) {
    best = *gsm;
    if (best == NORMAL_SERVICETYPE_HSUPA && found.test(NORMAL_SERVICETYPE_HSDPA)) {
      Trace(kTraceLevelInfo, u"found both HSDPA and HSPA service types, switching them to HSPA");
      best = NORMAL_SERVICETYPE_HSPA;
    }
    Trace(kTraceLevelInfo, u"setting the best GSM service type to '%ws'",
          VeskSDKFacade::ServiceTypeText(best).c_str());
  } else {
    Trace(kTraceLevelInfo, u"could not find any GSM service types...looking for CMDA service types");
    if (const std::optional<int32_t> cdma = BestOf(kCdmaServicePreference, found)) {
      best = *cdma;
      Trace(kTraceLevelInfo, u"found the best CMDA service, '%ws'...",
            VeskSDKFacade::ServiceTypeText(best).c_str());
    } else {
      Trace(kTraceLevelError, u"could not find any CMDA service types that match any known service types");
    }
  }
  WithInfo([best](CachedCellularInfo& info) { info.connectionCapability = best; });

  Trace(kTraceLevelInfo, u"notifying the framework that the best service detected is '%ws'",
        VeskSDKFacade::ServiceTypeText(best).c_str());
  PostNotification(WWAN_NOTIFICATION_SERVICE, static_cast<uintptr_t>(best), 0);
}

void CVeskSDK::ReportSignalStrength(INT8 dbm, ULONG radioInterface) {
  const int32_t strength = dbm;
  // Every signal callback passes here: narrow twins of the device messages, indent included.
  TraceIndentedMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelInfo, "    signal strength '%d'", strength);
  TraceIndentedMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelInfo, "    radio interface '%d'",
                       radioInterface);
  const int32_t percent = SignalStrengthToPercent(strength);
  // Stored and posted as one pair under the info lock: reports racing each other (the library's and
  // the diagnostic stress thread's) must neither mix their values nor post them out of store order.
  WithInfo([&](CachedCellularInfo& info) {
    info.signalDbm = strength;
    info.signalPercent = percent;
    PostNotification(WWAN_NOTIFICATION_RSSI, static_cast<uintptr_t>(static_cast<intptr_t>(strength)),
                     static_cast<uintptr_t>(percent));
  });
}

void CVeskSDK::ReportByteTotals(ULONGLONG totalBytesTX, ULONGLONG totalBytesRX) {
  WithInfo([&](CachedCellularInfo& info) {
    info.bytesReceived = totalBytesRX;
    info.bytesTransmitted = totalBytesTX;
  });
  // The host frees the record; without memory it gets the notification with no record.
  auto* totals = new (std::nothrow) ByteTotals{totalBytesTX, totalBytesRX};
  PostNotification(WWAN_NOTIFICATION_BYTES_TX_RX, reinterpret_cast<uintptr_t>(totals), 0);
}

void CVeskSDK::ReportDataCapabilities(BYTE count, const ULONG* capabilities) {
  std::lock_guard<std::mutex> lock(networkCapabilitiesLock_);
  Trace(kTraceLevelInfo, u"detected a change in the data capabilities, size = %u", count);
  UpdateNetworkCapabilities(count, capabilities);
}
