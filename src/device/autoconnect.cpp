// Autoconnect: the modem's own automatic connection. Switching it on writes the default profile the
// modem connects with (GSM images) and watches the first automatic connection with a timer; a modem
// that has reported no final session state by then gets autoconnect switched off again.
#include "device/vesk_sdk.h"
#include "facade/enumerations.h"
#include "platform/clock.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

constexpr ULONG kSessionDisconnected = 1;
constexpr ULONG kSessionConnected = 2;

constexpr ULONG kDefaultProfileType = 0;
constexpr ULONG kDefaultProfileAuthentication = 2;
constexpr char kDefaultProfileName[] = "Default";

const char* TextOrEmpty(const char* text) {
  return text != nullptr ? text : "";
}

}  // namespace

bool CVeskSDK::SetAutoConnectMode(int32_t mode, const char* apn, const char* userName, const char* password) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SetAutoConnectMode");
  if (!IsOpenFor("CVeskSDK::SetAutoConnectMode")) {
    return false;
  }
  Trace(kTraceLevelInfo, u"attempting to set the autoconnect mode to '%ws'",
        VeskSDKFacade::AutoconnectModeText(mode).c_str());
  bool result = false;
  if (mode == NORMAL_AUTOCONNECT_Disabled) {
    if (!autoconnectTimer_->Stop()) {
      Trace(kTraceLevelError, u"Could not stop autoconnect timer");
    }
    result = DisableAutoconnect();
  } else if (mode != NORMAL_AUTOCONNECT_Enabled) {
    Trace(kTraceLevelError, u"unknown autoconnect mode specified (%d)", mode);
  } else {
    result = EnableAutoconnect(apn, userName, password);
  }

  if (SaveCurrentDefaultProfileInfo()) {
    Trace(kTraceLevelInfo, u"SetAutoConnectMode: updated the default info in the CCellularSDK object");
  } else {
    Trace(kTraceLevelError, u"SetAutoConnectMode: could not update the default profile info");
  }
  return result;
}

bool CVeskSDK::EnableAutoconnect(const char* apn, const char* userName, const char* password) {
  const int32_t current = static_cast<ICellularSDK*>(this)->GetAutoConnectMode();
  ULONG state = kSessionDisconnected;
  GetSessionState(&state);

  if (WithInfo([](CachedCellularInfo& info) { return info.technology; }) == TECHNOLOGY_CDMA) {
    Trace(kTraceLevelInfo, u"attempting to enable autoconnect for a CDMA image");
  } else {
    Trace(kTraceLevelInfo, u"attempting to enable autoconnect for a GSM image");
    ULONG authentication = kDefaultProfileAuthentication;
    // Null texts are written as empty ones: the modem would keep the old value for a null.
    const ULONG profileResult =
        facade_.SetDefaultProfile(kDefaultProfileType, nullptr, nullptr, nullptr, nullptr, &authentication,
                                  kDefaultProfileName, TextOrEmpty(apn), TextOrEmpty(userName),
                                  TextOrEmpty(password));
    if (profileResult != 0) {
      Trace(kTraceLevelError, u"there was a problem setting the default profile for autoconnect mode (rc = %d)",
            profileResult);
      return false;
    }
    Trace(kTraceLevelInfo, u"configured GSM default profile for autoconnect mode");
  }

  if (current == NORMAL_AUTOCONNECT_Enabled) {
    Trace(kTraceLevelInfo, u"Autoconnect already enabled");
    const auto capability = static_cast<uintptr_t>(GetConnectionCapability());
    if (state == kSessionConnected) {
      Trace(kTraceLevelInfo, u"autoconnect is enabled and the device is connected");
      PostConnectedWhileAttached(capability);
    } else {
      Trace(kTraceLevelWarning, u"autoconnect is enabled and the device is disconnected");
      PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, capability);
    }
    return true;
  }

  const uint32_t deadline = platform::TickCount() + kAutoconnectDeadlineMs;
  ULONG result = 0;
  int attempts = 0;
  while (true) {
    if (attempts > 0) {
      Trace(kTraceLevelError, u"Retry autoconnection, previous result %lu", result);
      platform::Sleep(kSessionRetryPauseMs);
    }
    ++attempts;
    result = facade_.SetAutoconnect(VeskSDKFacade::AUTOCONNECT_Enabled);
    // Compared as a difference, so that a wrapping tick count does not end the attempts early.
    const bool beforeDeadline = static_cast<int32_t>(platform::TickCount() - deadline) < 0;
    if (!IsRetryableResult(result) || attempts >= kAutoconnectAttempts || detachEvent_.Wait(0) ||
        !beforeDeadline) {
      break;
    }
  }

  if (result == 0 || (result == QMI_ERR_NO_EFFECT && attempts >= kAutoconnectAttempts)) {
    if (result == 0) {
      Trace(kTraceLevelInfo, u"enabled autoconnect");
    } else {
      Trace(kTraceLevelInfo,
            u"There was a previous error with autoconnect, and the last result is QMI_ERR_NO_EFFECT, so it seems "
            u"like it is set now");
    }
    if (!autoconnectTimer_->Start(kAutoconnectTimeoutMs, 0)) {
      Trace(kTraceLevelError, u"Could not start autoconnect timer");
    }
    return true;
  }

  Trace(kTraceLevelError, u"problem with auto connect enable (rc = %d)", result);
  const ULONG disableResult = facade_.SetAutoconnect(VeskSDKFacade::AUTOCONNECT_Disabled);
  Trace(kTraceLevelInfo, u"setting autoconnect flag back to disabled (rc = %d)", disableResult);
  return false;
}

int32_t CVeskSDK::GetAutoConnectMode() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetAutoConnectMode");
  ULONG setting = VeskSDKFacade::AUTOCONNECT_Unknown;
  const ULONG result = CallWithSessionRetry(u"Retry get autoconnect, previous result %lu",
                                            &VeskSDKFacade::GenericVeskSDK::GetAutoconnect, &setting);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get the autoconnect mode (rc = %lu)", result);
    return NORMAL_AUTOCONNECT_Unknown;
  }
  Trace(kTraceLevelInfo, u"the current autoconnect setting is '%ws'",
        VeskSDKFacade::AutoconnectSettingText(setting).c_str());
  switch (setting) {
    case VeskSDKFacade::AUTOCONNECT_Disabled:
      return NORMAL_AUTOCONNECT_Disabled;
    case VeskSDKFacade::AUTOCONNECT_Enabled:
      return NORMAL_AUTOCONNECT_Enabled;
    default:
      return NORMAL_AUTOCONNECT_Unknown;
  }
}

void CVeskSDK::HandleAutoconnectTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleAutoconnectTimeout");
  if (facade_.ConnectedGeneration() == VeskSDKFacade::NO_SDK_CONNECTED ||
      static_cast<ICellularSDK*>(this)->GetAutoConnectMode() != NORMAL_AUTOCONNECT_Enabled) {
    return;
  }
  // A modem connected before the timer was armed, or already connected when autoconnect was switched
  // on, reports no new state; its credentials evidently work.
  ULONG state = kSessionDisconnected;
  if (GetSessionState(&state) && state == kSessionConnected) {
    Trace(kTraceLevelInfo, u"Autoconnect timer expired while the device is connected, leaving autoconnect on");
    return;
  }
  Trace(kTraceLevelError, u"Autoconnect timed out, perhaps due to invalid credentials?");
  DisableAutoconnect();
}

bool CVeskSDK::DisableAutoconnect() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::DisableAutoconnect");
  const int32_t current = static_cast<ICellularSDK*>(this)->GetAutoConnectMode();
  ULONG state = kSessionDisconnected;
  GetSessionState(&state);
  if (current == NORMAL_AUTOCONNECT_Disabled) {
    Trace(kTraceLevelWarning, u"Autoconnect mode is already disabled, returning successful");
    if (state == kSessionDisconnected) {
      PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
    }
    return true;
  }
  if (state == kSessionDisconnected) {
    Trace(kTraceLevelWarning,
          u"Already disconnected, but autoconnect is enabled (an error condition), so just generate disconnected "
          u"event and disable autoconnect to try to restore device");
    PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
  }
  const ULONG result = facade_.SetAutoconnect(VeskSDKFacade::AUTOCONNECT_Disabled);
  if (result != 0) {
    Trace(kTraceLevelError, u"there was an error disabling autoconnect (rc = %d)", result);
    return false;
  }
  Trace(kTraceLevelInfo, u"successfully disabled autoconnect");
  return true;
}
