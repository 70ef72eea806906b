// CCellularSDK: the cached device state and the NMEA port name.
#include <string>

#include "plugin/cellular_sdk.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

// Host buffers hold one element more than a cached field, so a whole field always fits.
void CopyOut(char16_t* buffer, std::u16string_view text) {
  if (buffer != nullptr) {
    CopyCachedText(buffer, kHostTextLength, text);
  }
}

template <std::size_t N>
void TerminateLast(char16_t (&field)[N]) {
  field[N - 1] = u'\0';
}

constexpr std::size_t kMccLength = 3;

}  // namespace

void CCellularSDK::ResetCachedInfo() {
  // The post happens under the info lock so that no writer can set new bits between the clear and
  // the host's notice of it; PostNotification never takes the info lock.
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  const uint32_t deviceStateBits = cachedInfo_.deviceStateBits;
  cachedInfo_ = CachedCellularInfo{};
  if (deviceStateBits != 0) {
    PostNotification(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE, 0, 0);
  }
}

void CCellularSDK::SetAdapterText(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.adapterText, text);
}

void CCellularSDK::GetAdapterText(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.adapterText));
}

void CCellularSDK::GetModelDescription(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.modelDescription));
}

void CCellularSDK::GetCachedManufacturer(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.manufacturer));
}

void CCellularSDK::SetPortText(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.portText, text);
}

void CCellularSDK::GetPortText(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.portText));
}

void CCellularSDK::SetFirmwareRevision(const char16_t* text) {
  std::u16string revision;
  std::u16string tag;
  SplitFirmwareRevision(text == nullptr ? std::u16string_view() : std::u16string_view(text), &revision, &tag);
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.firmwareRevision, revision);
  CopyCachedText(cachedInfo_.firmwareRevisionTag, tag);
}

void CCellularSDK::GetCachedFirmwareRevision(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.firmwareRevision));
}

void CCellularSDK::GetFirmwareRevisionTag(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.firmwareRevisionTag));
}

void CCellularSDK::SetVoiceNumber(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.voiceNumber, text);
}

void CCellularSDK::GetCachedVoiceNumber(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.voiceNumber));
}

void CCellularSDK::SetImsi(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.imsi, text);
}

void CCellularSDK::SetIccid(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.iccid, text);
}

void CCellularSDK::GetIccid(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.iccid));
}

void CCellularSDK::SetHomeNetworkCode(uint16_t mcc, uint16_t mnc) {
  const std::u16string code = FormatNetworkCode(mcc, mnc);
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.homeNetworkCode, code);
}

void CCellularSDK::GetHomeNetworkCode(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.homeNetworkCode));
}

void CCellularSDK::GetHomeMcc(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.homeNetworkCode).substr(0, kMccLength));
}

void CCellularSDK::GetHomeMnc(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  const std::u16string_view code = CachedTextView(cachedInfo_.homeNetworkCode);
  CopyOut(buffer, code.size() > kMccLength ? code.substr(kMccLength) : std::u16string_view());
}

void CCellularSDK::SetServingNetworkCode(uint16_t mcc, uint16_t mnc) {
  const std::u16string code = FormatNetworkCode(mcc, mnc);
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.servingNetworkCode, code);
}

void CCellularSDK::SetServingNetworkName(const char16_t* text) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyCachedText(cachedInfo_.servingNetworkName, text);
}

void CCellularSDK::GetSerialNumber(char16_t* buffer) {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CopyOut(buffer, CachedTextView(cachedInfo_.serialNumber));
}

void CCellularSDK::SetCachedDefaultProfile(const CachedDefaultProfile* profile) {
  if (profile == nullptr) {
    return;
  }
  const CachedDefaultProfile update = *profile;
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CachedDefaultProfile& cached = cachedInfo_.defaultProfile;
  cached = update;
  // A caller's unterminated text must not make later readers run past the field.
  TerminateLast(cached.profileName);
  TerminateLast(cached.apn);
  TerminateLast(cached.userName);
}

void CCellularSDK::GetCachedDefaultProfile(CachedDefaultProfile* profile) {
  if (profile == nullptr) {
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  *profile = cachedInfo_.defaultProfile;
}

void CCellularSDK::SetActiveConnection(const CachedActiveConnection* connection) {
  if (connection == nullptr) {
    return;
  }
  const CachedActiveConnection update = *connection;
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  CachedActiveConnection& cached = cachedInfo_.activeConnection;
  cached.valid = update.valid;
  if (cachedInfo_.technology == TECHNOLOGY_CDMA) {
    CopyCachedText(cached.name, u"CDMA");
  } else {
    CopyCachedText(cached.name, CachedTextView(update.name));
  }
  CopyCachedText(cached.userName, CachedTextView(update.userName));
}

void CCellularSDK::GetActiveConnection(CachedActiveConnection* connection) {
  if (connection == nullptr) {
    return;
  }
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  *connection = cachedInfo_.activeConnection;
}

int32_t CCellularSDK::GetConnectionCapability() {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  return cachedInfo_.connectionCapability;
}

uint32_t CCellularSDK::GetDeviceStateBits() {
  std::lock_guard<std::recursive_mutex> lock(infoLock_);
  return cachedInfo_.deviceStateBits;
}

void CCellularSDK::SetNmeaPortFromDeviceList(const std::vector<DeviceNode>& nodes) {
  std::lock_guard<std::mutex> lock(nmeaPortLock_);
  for (const DeviceNode& node : nodes) {
    if (node.kind == DEVICE_NODE_KIND_PORTS && node.deviceDescription.find(u"NMEA") != std::u16string::npos) {
      nmeaPortName_ = node.comPort;
      return;
    }
  }
}

std::u16string CCellularSDK::GetNmeaPortName() {
  std::lock_guard<std::mutex> lock(nmeaPortLock_);
  return nmeaPortName_;
}
