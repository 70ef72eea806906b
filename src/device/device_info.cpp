// Device information gathering: the one strictly ordered pass, after the SIM is ready or the CDMA
// account is activated, that registers the vendor callbacks and reads everything the host shows.
#include <algorithm>
#include <cstring>
#include <mutex>
#include <new>
#include <string>

#include "device/signal_strength.h"
#include "device/vesk_sdk.h"
#include "platform/clock.h"
#include "platform/text.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

constexpr BYTE kIdentitySize = 100;  // model ID, manufacturer, ICCID
constexpr BYTE kNumberSize = 255;    // IMSI, voice number, MIN
constexpr BYTE kSignalInterfaceRoom = 10;
constexpr BYTE kDataCapsRoom = 100;
constexpr ULONG kSessionConnected = 2;
constexpr ULONG kSessionDisconnected = 1;

// A text the library filled, read no further than its buffer even when it is not terminated.
std::string BufferText(const char* buffer, std::size_t size) {
  return std::string(buffer, strnlen(buffer, size));
}

}  // namespace

bool CVeskSDK::DetachedDuringInfoWait() {
  if (!detachEvent_.Wait(kDetachWaitMs)) {
    return false;
  }
  Trace(kTraceLevelInfo, u"\nRETURNING BEFORE GETTING DEVICE INFO BECAUSE OF DETACH");
  return true;
}

void CVeskSDK::GetVeskDeviceInfo() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetVeskDeviceInfo");

  RegisterVeskCallbacks();
  ReadDeviceIdentity();
  if (!ReadPhoneNumber()) {
    return;
  }
  InitializeHardwareInfo();
  GetCellularSerialInfo();
  if (!ReadSignalStrength()) {
    return;
  }
  ReadAllSignalStrengths();
  GetCellularNetworkInfo();
  ReadServingNetworkCapabilities();
  if (SaveCurrentDefaultProfileInfo()) {
    Trace(kTraceLevelInfo, u"GetVeskDeviceInfo: updated the default info in the CCellularSDK object");
  } else {
    Trace(kTraceLevelError, u"GetVeskDeviceInfo: could not update the default profile info");
  }
  ReportSessionState();
  PostNotification(WWAN_NOTIFICATION_DEVICE_INFO_READY, 0, 0);
}

void CVeskSDK::ReadDeviceIdentity() {
  // A failed query leaves the model ID empty; the description then says so.
  char modelId[kIdentitySize] = {};
  if (facade_.GetModelID(kIdentitySize, modelId) != 0) {
    std::memset(modelId, 0, sizeof modelId);
  }
  const std::string model = BufferText(modelId, sizeof modelId);
  Trace(kTraceLevelInfo, u"vesk model id is '%hs'", model.c_str());
  char16_t description[kModelDescriptionLength] = {};
  GetVeskModemModel(model.c_str(), description);
  WithInfo([&](CachedCellularInfo& info) { CopyCachedText(info.modelDescription, description); });

  char manufacturer[kIdentitySize] = {};
  ULONG result = facade_.GetManufacturer(kIdentitySize, manufacturer);
  if (result == 0) {
    const std::string text = BufferText(manufacturer, sizeof manufacturer);
    Trace(kTraceLevelInfo, u"vesk device manufacture is '%hs'", text.c_str());
    const std::u16string wide = platform::Widen(text);
    WithInfo([&](CachedCellularInfo& info) { CopyCachedText(info.manufacturer, wide); });
  } else {
    Trace(kTraceLevelError, u"could not get the vesk manufacture (rc = %d)", result);
  }

  char imsi[kNumberSize] = {};
  result = facade_.GetIMSI(kNumberSize, imsi);
  if (result == 0) {
    const std::u16string wide = platform::Widen(BufferText(imsi, sizeof imsi));
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelInfo, u"    IMSI: set the imsi to '%ws'",
                     wide.c_str());
    SetImsi(wide.c_str());
  } else {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError,
                     u"    IMSI: could not set the imsi (rc=%d)", result);
  }

  char iccid[kIdentitySize] = {};
  result = facade_.UIMGetICCID(kIdentitySize, iccid);
  if (result == 0) {
    const std::u16string wide = platform::Widen(BufferText(iccid, sizeof iccid));
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelInfo, u"    ICCID = '%ws'", wide.c_str());
    SetIccid(wide.c_str());
  } else {
    TraceWideMessage(GetTraceLog(), GetTraceCategory(), kTraceLevelError, u"    Could not get ICCID (rc=%u)",
                     result);
  }
}

bool CVeskSDK::ReadPhoneNumber() {
  char voiceNumber[kNumberSize] = {};
  char min[kNumberSize] = {};
  ULONG result = 0;
  for (int attempt = 0; attempt < kVoiceNumberAttempts; ++attempt) {
    result = facade_.GetVoiceNumber(kNumberSize, voiceNumber, kNumberSize, min);
    if (result == 0) {
      const std::string number = BufferText(voiceNumber, sizeof voiceNumber);
      const std::string minText = BufferText(min, sizeof min);
      Trace(kTraceLevelInfo, u"vesk voice number is '%hs'; MIN string is '%hs'", number.c_str(),
            minText.c_str());
      const std::u16string wide = platform::Widen(number);
      SetVoiceNumber(wide.c_str());
      ChangeDeviceStateBits(0, kDeviceStatePhoneNumberUnavailable);
      // The host owns the copy once delivered (and frees it with delete[]).
      auto* payload = new (std::nothrow) char16_t[wide.size() + 1];
      if (payload != nullptr) {
        std::copy(wide.begin(), wide.end(), payload);
        payload[wide.size()] = u'\0';
      }
      PostNotification(WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED, reinterpret_cast<uintptr_t>(payload), 0);
      return true;
    }
    Trace(kTraceLevelWarning, u"could not get the vesk voice number waiting and will try again (rc = %u)",
          result);
    if (DetachedDuringInfoWait()) {
      return false;
    }
  }

  if (result != QMI_ERR_NOT_PROVISIONED) {
    Trace(kTraceLevelError, u"\nFAILED TO THE THE VOICE NUMBER FROM THE DEVICE (rc = %u)", result);
    ChangeDeviceStateBits(kDeviceStatePhoneNumberUnavailable, 0);
    return true;
  }
  if (WithInfo([](CachedCellularInfo& info) { return info.technology; }) == TECHNOLOGY_CDMA) {
    ChangeDeviceStateBits(kDeviceStateNotActivated, 0);
  } else {
    WithInfo([](CachedCellularInfo& info) { info.simStatusBits |= NORMAL_SIM_STATUS_UNKNOWN; });
    PostNotification(WWAN_NOTIFICATION_SIM_STATUS, HOST_SIM_STATUS_MISSING, 0);
  }
  Trace(kTraceLevelError, u"\nFAILED TO GET PHONE NUMBER BECAUSE SIM IS NOT INSERTED or CDMA NOT ACTIVATED");
  return false;
}

bool CVeskSDK::ReadSignalStrength() {
  Trace(kTraceLevelInfo, u"getting signal strength information (deprecated)");
  ULONG result = 0;
  for (int attempt = 0; attempt < kSignalStrengthAttempts; ++attempt) {
    INT8 dbm = 0;
    ULONG radioInterface = 0;
    result = facade_.GetSignalStrength(&dbm, &radioInterface);
    if (result == 0) {
      const int32_t strength = dbm;
      const int32_t percent = SignalStrengthToPercent(strength);
      LogRadioInterfaceSignal(GetTraceLog(), GetTraceCategory(), dbm, radioInterface);
      Trace(kTraceLevelInfo, u"signal strength (%d dBm, %d percent)", strength, percent);
      // Stored and posted as one pair, like the library's own reports, so that a report racing this
      // one cannot leave the cache with the dBm of one and the percent of the other.
      WithInfo([&](CachedCellularInfo& info) {
        info.signalDbm = strength;
        info.signalPercent = percent;
        PostNotification(WWAN_NOTIFICATION_RSSI, static_cast<uintptr_t>(static_cast<intptr_t>(strength)),
                         static_cast<uintptr_t>(percent));
      });
      return true;
    }
    Trace(kTraceLevelWarning, u"could not get the signal strength, waiting, and will try again (rc = %u)",
          result);
    if (DetachedDuringInfoWait()) {
      return false;
    }
  }
  Trace(kTraceLevelError, u"could not get signal strength info (rc = %u)", result);
  return true;
}

void CVeskSDK::ReadAllSignalStrengths() {
  Trace(kTraceLevelInfo, u"getting all signal strengths for all interfaces");
  ULONG count = kSignalInterfaceRoom;
  INT8 strengths[kSignalInterfaceRoom] = {};
  ULONG radioInterfaces[kSignalInterfaceRoom] = {};
  const ULONG result = facade_.GetSignalStrengths(&count, strengths, radioInterfaces);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get signal strengths info (rc = %d)", result);
    return;
  }
  Trace(kTraceLevelInfo, u"read signal strengths for '%d' interfaces", count);
  // A library that claims more entries than it was given room for is not read beyond the room.
  const ULONG entries = std::min<ULONG>(count, kSignalInterfaceRoom);
  for (ULONG i = 0; i < entries; ++i) {
    LogRadioInterfaceSignal(GetTraceLog(), GetTraceCategory(), strengths[i], radioInterfaces[i]);
  }
}

void CVeskSDK::ReadServingNetworkCapabilities() {
  Trace(kTraceLevelInfo, u"Getting the serving network capabilities");
  BYTE count = kDataCapsRoom;
  ULONG capabilities[kDataCapsRoom] = {};
  ULONG result = facade_.GetServingNetworkCapabilities(&count, capabilities);
  for (int attempt = 1; attempt < kDataCapabilitiesAttempts && IsRetryableResult(result); ++attempt) {
    Trace(kTraceLevelError, u"Retry get serving network capabilities, previous result %lu", result);
    platform::Sleep(kQueryRetryPauseMs);
    count = kDataCapsRoom;
    result = facade_.GetServingNetworkCapabilities(&count, capabilities);
  }
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get the serving network capabilities (%d)", result);
    return;
  }
  Trace(kTraceLevelInfo, u"retrieved the serving network capabilities");
  UpdateNetworkCapabilities(std::min<BYTE>(count, kDataCapsRoom), capabilities);
}

void CVeskSDK::ReportSessionState() {
  Trace(kTraceLevelInfo, u"getting the current session state for the vesk device");
  // One plain query: a failure is neither retried nor logged, and reports nothing.
  ULONG state = 0;
  if (facade_.GetSessionState(&state) != 0) {
    return;
  }
  if (state == kSessionConnected) {
    Trace(kTraceLevelInfo, u"the vesk device is currently connected");
    const int32_t capability = GetConnectionCapability();
    PostNotification(WWAN_NOTIFICATION_CONNECTED, 0, static_cast<uintptr_t>(capability));
  } else {
    if (state == kSessionDisconnected) {
      Trace(kTraceLevelInfo, u"the vesk device is currently disconnected");
    } else {
      Trace(kTraceLevelInfo,
            u"the vesk device is not connected or disconnected...reporting it as disconnected (%d)", state);
    }
    PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
  }
}
