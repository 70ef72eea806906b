// The modem's identity as the host sees it: the model description, firmware revisions and serial
// numbers read by the information pass, and the card information record the host asks for.
#include <cstring>
#include <string>
#include <string_view>

#include "device/vesk_sdk.h"
#include "platform/text.h"
#include "trace/scope_trace.h"

namespace {

constexpr BYTE kFirmwareRevisionSize = 100;
constexpr BYTE kFirmwareRevisionsSize = 255;
constexpr BYTE kSerialNumberSize = 100;
constexpr ULONG kConnectedDeviceIdSize = 260;

// A text the library wrote into a buffer, read no further than the buffer even when unterminated.
std::string LibraryText(const char* buffer, std::size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

const char16_t* LibraryGenerationText(ULONG generation) {
  switch (generation) {
    case VeskSDKFacade::NO_SDK_CONNECTED:
      return u"Not connected";
    case VeskSDKFacade::SDK_1000:
      return u"Vesk1000";
    case VeskSDKFacade::SDK_2000:
      return u"Vesk2000";
    default:
      return u"Unknown";
  }
}

std::u16string DecimalText(int32_t value) {
  return platform::Widen(std::to_string(value));
}

// Byte counters are shown in full: they pass 4 GiB on a long session.
std::u16string DecimalText(uint64_t value) {
  return platform::Widen(std::to_string(static_cast<unsigned long long>(value)));
}

}  // namespace

char16_t* CVeskSDK::GetVeskModemModel(const char* modelId, char16_t* description) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetVeskModemModel");
  const std::string id = modelId == nullptr ? std::string() : std::string(modelId);
  const std::u16string wideId = platform::Widen(id);
  const auto describe = [description](std::u16string_view text) {
    if (description != nullptr) {
      CopyCachedText(description, kModelDescriptionLength, text);
    }
  };
  if (wideId == u"88") {
    describe(u"Vesk MDM-1000 (88)");
    Trace(kTraceLevelInfo, u"VESK 1000 device, description: %ws", u"Vesk MDM-1000 (88)");
  } else if (wideId == u"12") {
    describe(u"Vesk MDM-2000 (12)");
    Trace(kTraceLevelInfo, u"VESK 2000 device, description: %ws", u"Vesk MDM-2000 (12)");
  } else {
    describe(wideId);
    Trace(kTraceLevelInfo, u"Unknown VESK device: %hs", id.c_str());
  }
  return description;
}

void CVeskSDK::InitializeHardwareInfo() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::InitializeHardwareInfo");

  char revision[kFirmwareRevisionSize] = {};
  ULONG result = facade_.GetFirmwareRevision(kFirmwareRevisionSize, revision);
  if (result == 0) {
    const std::string text = LibraryText(revision, sizeof revision);
    Trace(kTraceLevelInfo, u"firmware revision: %s", text.c_str());
    SetFirmwareRevision(platform::Widen(text).c_str());
  } else {
    Trace(kTraceLevelError, u"could not get firmware revision (rc = %d)", result);
  }

  char amss[kFirmwareRevisionsSize] = {};
  char boot[kFirmwareRevisionsSize] = {};
  char pri[kFirmwareRevisionsSize] = {};
  result = facade_.GetFirmwareRevisions(kFirmwareRevisionsSize, amss, kFirmwareRevisionsSize, boot,
                                        kFirmwareRevisionsSize, pri);
  if (result == 0) {
    const std::u16string wideAmss = platform::Widen(LibraryText(amss, sizeof amss));
    const std::u16string wideBoot = platform::Widen(LibraryText(boot, sizeof boot));
    const std::u16string widePri = platform::Widen(LibraryText(pri, sizeof pri));
    Trace(kTraceLevelInfo,
          u"Getting diagnostics info for QC driver info:\n--------------------------------------------\n"
          u"AMS  : %ws\n"
          u"BOOT : %ws\n"
          u"PRI  : %ws\n",
          wideAmss.c_str(), wideBoot.c_str(), widePri.c_str());
  } else {
    Trace(kTraceLevelError, u"could not get firmware revisions info from the Vesk SDK (rc = %d)", result);
  }
}

void CVeskSDK::GetCellularSerialInfo() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularSerialInfo");

  char esn[kSerialNumberSize] = {};
  char imei[kSerialNumberSize] = {};
  char meid[kSerialNumberSize] = {};
  if (facade_.GetSerialNumbers(kSerialNumberSize, esn, kSerialNumberSize, imei, kSerialNumberSize, meid) !=
      0) {
    return;
  }
  const std::u16string wideEsn = platform::Widen(LibraryText(esn, sizeof esn));
  const std::u16string wideImei = platform::Widen(LibraryText(imei, sizeof imei));
  const std::u16string wideMeid = platform::Widen(LibraryText(meid, sizeof meid));
  WithInfo([&](CachedCellularInfo& info) { CopyCachedText(info.serialNumber, wideImei); });
  Trace(kTraceLevelInfo,
        u"Getting Vesk serial numbers:\n--------------------------------------------\n"
        u"ESN  : %ws\n"
        u"IMEI : %ws\n"
        u"MEID : %ws\n",
        wideEsn.c_str(), wideImei.c_str(), wideMeid.c_str());
}

// Runs on a host thread without the device-operation lock: every cache read is one locked copy, so a
// concurrent update may show in some fields and not others, but no field is torn.
bool CVeskSDK::GetCellularCardInfo(CellularCardInfo* info) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetCellularCardInfo");
  if (info == nullptr) {
    Trace(kTraceLevelError, u"GetCellularCardInfo: no card information record to fill");
    return false;
  }
  std::memset(info, 0, sizeof *info);
  info->gpsSupported = gpsSupported_ ? 1 : 0;

  char deviceId[kConnectedDeviceIdSize] = {};
  const ULONG attached = facade_.QCWWANGetConnectedDeviceID(kConnectedDeviceIdSize, deviceId);
  if (attached != 0) {
    Trace(kTraceLevelError, u"GetCellularCardInfo: Not attached to device %d", attached);
    return false;
  }

  const auto copyText = [this](HostText& field, const CachedText CachedCellularInfo::*member) {
    WithInfo([&](CachedCellularInfo& cached) { CopyCachedText(field, CachedTextView(cached.*member)); });
  };
  const auto cachedValue = [this](auto CachedCellularInfo::*member) {
    return WithInfo([member](CachedCellularInfo& cached) { return cached.*member; });
  };

  info->deviceStateBits = GetDeviceStateBits();
  GetAdapterText(info->adapterText);
  GetPortText(info->portText);
  CopyCachedText(info->libraryGeneration, LibraryGenerationText(facade_.ConnectedGeneration()));
  GetHomeNetworkCode(info->homeNetworkCode);
  copyText(info->homeNetworkName, &CachedCellularInfo::homeNetworkName);
  copyText(info->servingNetworkCode, &CachedCellularInfo::servingNetworkCode);
  copyText(info->servingNetworkName, &CachedCellularInfo::servingNetworkName);
  copyText(info->carrierName, &CachedCellularInfo::carrierName);
  GetModelDescription(info->modelDescription);
  info->technology = cachedValue(&CachedCellularInfo::technology);
  GetCachedManufacturer(info->manufacturer);
  GetCachedFirmwareRevision(info->firmwareRevision);
  GetFirmwareRevisionTag(info->firmwareRevisionTag);
  GetSerialNumber(info->serialNumber);
  GetIccid(info->iccid);
  GetCachedVoiceNumber(info->voiceNumber);
  CopyCachedText(info->modemPort, u"N/A (Vesk does not support retrieving modem port info)");
  GetHomeMcc(info->homeMcc);
  GetHomeMnc(info->homeMnc);
  CopyCachedText(info->locationAreaCode, u"N/A (Vesk does not support retrieving LAC info)");
  CopyCachedText(info->signalPercent, DecimalText(cachedValue(&CachedCellularInfo::signalPercent)));
  CopyCachedText(info->signalDbm, DecimalText(cachedValue(&CachedCellularInfo::signalDbm)));
  copyText(info->imsi, &CachedCellularInfo::imsi);
  CopyCachedText(info->bytesReceived, DecimalText(cachedValue(&CachedCellularInfo::bytesReceived)));
  CopyCachedText(info->bytesTransmitted, DecimalText(cachedValue(&CachedCellularInfo::bytesTransmitted)));
  info->simStatusBits = cachedValue(&CachedCellularInfo::simStatusBits);

  // A session the modem keeps up by itself is named after its default profile; otherwise the session
  // this module started, if any.
  CachedDefaultProfile profile{};
  GetCachedDefaultProfile(&profile);
  if (profile.autoconnect != 0 && profile.connected != 0) {
    std::u16string name(CachedTextView(profile.apn));
    name += u" (auto)";
    CopyCachedText(info->connectionName, name);
    CopyCachedText(info->userName, CachedTextView(profile.userName));
  } else {
    CachedActiveConnection connection{};
    GetActiveConnection(&connection);
    if (connection.valid != 0) {
      CopyCachedText(info->connectionName, CachedTextView(connection.name));
      CopyCachedText(info->userName, CachedTextView(connection.userName));
    }
  }
  return true;
}
