// The data session: Connect and Disconnect for the host, the start-data-session thread that carries
// out the blocking start, its 90 s timer, the session state the library reports, and the default
// profile read back into the cache.
#include <algorithm>
#include <array>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "device/vesk_sdk.h"
#include "platform/clock.h"
#include "platform/event.h"
#include "platform/text.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

constexpr ULONG kSessionDisconnected = 1;
constexpr ULONG kSessionConnected = 2;
constexpr ULONG kSessionSuspended = 3;
constexpr ULONG kSessionAuthenticating = 4;

// Values the library defines; passed through as numbers.
constexpr ULONG kStartTechnology = 3;
constexpr ULONG kStartAuthentication = 2;

constexpr ULONG kDefaultProfileType = 0;
constexpr BYTE kProfileTextSize = 255;

// A text the library filled, read no further than its buffer even when it is not terminated.
std::u16string ProfileTextOf(const char* text, std::size_t size) {
  return platform::Widen(std::string_view(text, strnlen(text, size)));
}

// One byte of an IPv4 address, the first one being the most significant.
uint32_t AddressByte(ULONG address, int index) {
  return (address >> (8 * (3 - index))) & 0xFF;
}

}  // namespace

bool CVeskSDK::Connect(const char* apn, const char* userName, const char* password) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Connect");
  if (!IsOpenFor("CVeskSDK::Connect")) {
    return false;
  }
  std::string apnText = apn != nullptr ? apn : "";
  std::string userText = userName != nullptr ? userName : "";
  std::string passwordText = password != nullptr ? password : "";
  {
    std::lock_guard<std::mutex> lock(disconnectRequestedLock_);
    disconnectRequested_ = false;
  }

  ULONG state = kSessionDisconnected;
  if (GetSessionState(&state) && state == kSessionConnected) {
    Trace(kTraceLevelInfo, u"vesk already connected");
    PostConnectedWhileAttached(static_cast<uintptr_t>(GetConnectionCapability()));
    return true;
  }
  std::lock_guard<std::mutex> starting(connectStartLock_);
  if (!startDataSessionThread_->Wait(kStartThreadRunningWaitMs)) {
    Trace(kTraceLevelInfo, u"Start data session thread is already running");
    return true;
  }

  stopEvent_.Reset();
  {
    std::lock_guard<std::mutex> lock(disconnectRequestedLock_);
    startThreadTakesDisconnect_ = true;
  }
  // Armed before the thread starts: a thread that ends at once stops it, instead of leaving it to
  // disconnect the new session 90 s later.
  if (!startDataSessionTimer_->Start(kStartDataSessionTimeoutMs, 0)) {
    Trace(kTraceLevelError, u"Failed to start data session timer");
  }
  if (!startDataSessionThread_->Start(std::move(apnText), std::move(userText), std::move(passwordText))) {
    if (!startDataSessionTimer_->Stop()) {
      Trace(kTraceLevelError, u"Could not stop StartDataSession timer");
    }
    {
      std::lock_guard<std::mutex> lock(disconnectRequestedLock_);
      startThreadTakesDisconnect_ = false;
    }
    Trace(kTraceLevelError, u"Failed to spawn start data session thread");
    return false;
  }
  return true;
}

void CVeskSDK::StartDataSessionThread(std::string apn, std::string userName, std::string password) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::StartDataSessionThread");
  Trace(kTraceLevelInfo, u"Starting data session thread");
  const std::u16string wideApn = platform::Widen(apn);
  const std::u16string wideUserName = platform::Widen(userName);
  CachedActiveConnection connection{};
  connection.valid = 0;
  CopyCachedText(connection.name, wideApn);
  CopyCachedText(connection.userName, wideUserName);
  SetActiveConnection(&connection);

  const uint32_t deadline = platform::TickCount() + kStartDataSessionDeadlineMs;
  connectAcknowledgeEvent_.Reset();
  ULONG technology = kStartTechnology;
  ULONG authentication = kStartAuthentication;
  ULONG result = 0;
  int attempts = 0;
  while (true) {
    if (attempts > 0) {
      Trace(kTraceLevelError, u"Retry connection, previous result %lu", result);
      platform::Sleep(kSessionRetryPauseMs);
    }
    ++attempts;
    ULONG sessionId = sessionId_;
    result = facade_.StartDataSession(&technology, nullptr, nullptr, nullptr, nullptr, apn.c_str(), nullptr,
                                      &authentication, userName.c_str(), password.c_str(), &sessionId);
    sessionId_ = sessionId;
    Trace(kTraceLevelInfo,
          u"StartDataSessionThread: made call to activate data session:\n%30ws : %d\n%30ws : %d\n%30ws : "
          u"%d\n%30ws : %ws\n%30ws : %ws\n%30ws : %ws\n%30ws : %d\n",
          u"Attempt", attempts, u"Technology", technology, u"Result", result, u"APN", wideApn.c_str(),
          u"Username", wideUserName.c_str(), u"Password", u"hidden", u"SessionID", sessionId);
    // The deadline is compared as a difference, so that a wrapping tick count does not end it early.
    const bool beforeDeadline = static_cast<int32_t>(platform::TickCount() - deadline) < 0;
    if (!IsRetryableResult(result) || attempts >= kSessionAttempts || stopEvent_.Wait(0) ||
        detachEvent_.Wait(0) || !beforeDeadline) {
      break;
    }
  }

  if (!startDataSessionTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop StartDataSession timer");
  }
  ChangeDeviceStateBits(0, kDeviceStateStartBlocked);
  bool disconnectRequested = false;
  {
    std::lock_guard<std::mutex> lock(disconnectRequestedLock_);
    disconnectRequested = disconnectRequested_;
    startThreadTakesDisconnect_ = false;
  }

  if (result == 0) {
    Trace(kTraceLevelInfo, u"started the data session");
    if (disconnectRequested) {
      DisconnectAfterConnectAcknowledgement();
    }
  } else {
    Trace(kTraceLevelError,
          u"problem starting the data session (%lu) for '%lu' technology type (attempt(s) made '%d')", result,
          technology, attempts);
    PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
  }
  // A Disconnect or detach that found this thread still busy after the start had returned (waiting
  // for the acknowledgement) has set the bit again.
  ChangeDeviceStateBits(0, kDeviceStateStartBlocked);
}

void CVeskSDK::DisconnectAfterConnectAcknowledgement() {
  Trace(kTraceLevelInfo,
        u"disconnect requested, waiting for acknowlegdement of connect before disconnecting");
  // The detach event comes first, so that a detach wins over an acknowledgement that arrived with it.
  const std::array<platform::Event*, 2> events = {&detachEvent_, &connectAcknowledgeEvent_};
  const int signalled = platform::WaitAny(events, kConnectAcknowledgeWaitMs);
  if (signalled == 0) {
    Trace(kTraceLevelInfo, u"stopping data session thread, will not disconnect because detaching");
    return;
  }
  if (signalled < 0) {
    Trace(kTraceLevelError, u"Timed out waiting for connect acknowledgment, will try to disconnect");
    StopStartedDataSession();
    return;
  }
  ULONG state = kSessionDisconnected;
  if (GetSessionState(&state) && (state == kSessionConnected || state == kSessionAuthenticating)) {
    Trace(kTraceLevelInfo, u"Now disconnecting after connect ack");
    StopStartedDataSession();
  } else {
    Trace(kTraceLevelInfo, u"Already disconnected");
  }
}

void CVeskSDK::StopStartedDataSession() {
  const ULONG result = facade_.StopDataSession(sessionId_);
  if (result == 0) {
    Trace(kTraceLevelInfo, u"stopped the data session");
  } else {
    Trace(kTraceLevelError, u"problem stopping the data session (%lu)", result);
  }
}

bool CVeskSDK::TryToStopStartDataSessionThread(bool* flag) {
  bool stopped = true;
  if (!startDataSessionThread_->Wait(0)) {
    stopEvent_.Set();
    if (!startDataSessionThread_->Wait(kStartThreadStopWaitMs)) {
      Trace(kTraceLevelWarning, u"StartDataSession blocked");
      ChangeDeviceStateBits(kDeviceStateStartBlocked, 0);
      // The thread clears the bit as it ends; one that ended just now may have done so before it was set.
      stopped = startDataSessionThread_->Wait(0);
      if (stopped) {
        ChangeDeviceStateBits(0, kDeviceStateStartBlocked);
      }
    }
  }
  if (flag != nullptr) {
    *flag = false;
  }
  return stopped;
}

bool CVeskSDK::JoinStartDataSessionThread() {
  return startDataSessionThread_->Wait(platform::kInfinite);
}

void CVeskSDK::HandleStartDataSessionTimeout(uint32_t /*argument*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::HandleStartDataSessionTimeout");
  Trace(kTraceLevelError, u"StartDataSession timed out");
  static_cast<ICellularSDK*>(this)->Disconnect();
}

bool CVeskSDK::Disconnect() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::Disconnect");
  if (!IsOpenFor("CVeskSDK::Disconnect")) {
    return false;
  }
  if (!TryToStopStartDataSessionThread(nullptr)) {
    // A stop now would wait in the library behind the blocked start; the thread stops the session
    // once its start has returned. A thread past that point has let go of the request, and the
    // session is stopped here as usual.
    std::lock_guard<std::mutex> lock(disconnectRequestedLock_);
    if (startThreadTakesDisconnect_) {
      Trace(kTraceLevelWarning,
            u"not stopping the data session (disconnecting) because StartDataSession blocking");
      disconnectRequested_ = true;
      return true;
    }
  }

  ULONG state = kSessionConnected;
  if (GetSessionState(&state) && state == kSessionDisconnected) {
    Trace(kTraceLevelInfo, u"vesk already disconnected");
    PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
    return true;
  }
  const ULONG result = facade_.StopDataSession(sessionId_);
  if (result != 0) {
    Trace(kTraceLevelError, u"problem stopping the data session (%lu)", result);
    return false;
  }
  Trace(kTraceLevelInfo, u"stopped the data session");
  return true;
}

bool CVeskSDK::IsRetryableResult(ULONG result) const {
  return std::find(retryableResults_.begin(), retryableResults_.end(), result) != retryableResults_.end();
}

ULONG CVeskSDK::CallWithSessionRetry(const char16_t* retryMessage,
                                     ULONG (VeskSDKFacade::GenericVeskSDK::*query)(ULONG*), ULONG* value) {
  ULONG result = (facade_.*query)(value);
  for (int attempt = 1; attempt < kSessionAttempts && IsRetryableResult(result); ++attempt) {
    Trace(kTraceLevelError, retryMessage, result);
    platform::Sleep(kSessionRetryPauseMs);
    result = (facade_.*query)(value);
  }
  return result;
}

bool CVeskSDK::GetSessionState(ULONG* state) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::GetSessionState");
  ULONG value = *state;
  const ULONG result = CallWithSessionRetry(u"Retry GetSessionState, previous result %lu",
                                            &VeskSDKFacade::GenericVeskSDK::GetSessionState, &value);
  if (result != 0) {
    Trace(kTraceLevelError, u"Failed getting session state %u", result);
    return false;
  }
  *state = value;
  Trace(kTraceLevelInfo, u"Session state = %d", value);
  return true;
}

void CVeskSDK::HandleSessionState(ULONG state, ULONG sessionEndReason) {
  Trace(kTraceLevelInfo, u"SessionStateCallback: state = %lu; end reason = %lu", state, sessionEndReason);
  if (SaveCurrentDefaultProfileInfo()) {
    Trace(kTraceLevelInfo, u"SessionStateCallback: updated the default info in the CCellularSDK object");
  } else {
    Trace(kTraceLevelError, u"SessionStateCallback: could not update the default profile info");
  }
  const bool final = state == kSessionDisconnected || state == kSessionConnected;
  if (final && !autoconnectTimer_->Stop()) {
    Trace(kTraceLevelError, u"Could not stop autoconnect timer");
  }
  // Only the valid flag changes; it is written in place so that a start storing a new connection
  // meanwhile is not overwritten with the old one.
  const auto setValid = [this](uint8_t valid) {
    WithInfo([valid](CachedCellularInfo& info) { info.activeConnection.valid = valid; });
  };
  switch (state) {
    case kSessionDisconnected:
      Trace(kTraceLevelInfo, u"session is disconnected");
      setValid(0);
      PostNotification(WWAN_NOTIFICATION_DISCONNECTED, 0, 0);
      break;
    case kSessionConnected:
      Trace(kTraceLevelInfo, u"session is connected (IP=0x%08X)", 0u);
      setValid(1);
      // A report still in flight when the library refused a disconnect must not follow the detach.
      PostConnectedWhileAttached(static_cast<uintptr_t>(GetConnectionCapability()));
      break;
    case kSessionSuspended:
      Trace(kTraceLevelInfo, u"SUSPENDED (Unsupported) session state");
      break;
    case kSessionAuthenticating:
      Trace(kTraceLevelInfo, u"AUTHENTICATING");
      break;
    default:
      break;
  }
  if (final) {
    connectAcknowledgeEvent_.Set();
  }
}

bool CVeskSDK::SaveCurrentDefaultProfileInfo() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::SaveCurrentDefaultProfileInfo");
  CachedDefaultProfile profile{};
  ULONG state = kSessionDisconnected;
  profile.connected = GetSessionState(&state) && state == kSessionConnected ? 1 : 0;
  profile.autoconnect =
      static_cast<ICellularSDK*>(this)->GetAutoConnectMode() == NORMAL_AUTOCONNECT_Enabled ? 1 : 0;
  if (WithInfo([](CachedCellularInfo& info) { return info.technology; }) == TECHNOLOGY_CDMA) {
    return true;
  }

  ULONG pdpType = 0;
  ULONG ipAddress = 0;
  ULONG primaryDns = 0;
  ULONG secondaryDns = 0;
  ULONG authentication = 0;
  char name[kProfileTextSize] = {};
  char apn[kProfileTextSize] = {};
  char userName[kProfileTextSize] = {};
  const ULONG result = facade_.GetDefaultProfile(kDefaultProfileType, &pdpType, &ipAddress, &primaryDns,
                                                 &secondaryDns, &authentication, kProfileTextSize, name,
                                                 kProfileTextSize, apn, kProfileTextSize, userName);
  if (result != 0) {
    Trace(kTraceLevelError, u"VESKTEST: ERROR - could not get the current profile info '%d'\n\n", result);
    return false;
  }
  const std::u16string wideName = ProfileTextOf(name, sizeof name);
  const std::u16string wideApn = ProfileTextOf(apn, sizeof apn);
  const std::u16string wideUserName = ProfileTextOf(userName, sizeof userName);
  CopyCachedText(profile.profileName, wideName);
  CopyCachedText(profile.apn, wideApn);
  CopyCachedText(profile.userName, wideUserName);
  SetCachedDefaultProfile(&profile);

  Trace(kTraceLevelInfo,
        u"\n%-20ws"
        u"%-020ws : %d\n"
        u"%-020ws : %d.%d.%d.%d\n"
        u"%-020ws : %d.%d.%d.%d\n"
        u"%-020ws : %d.%d.%d.%d\n"
        u"%-020ws : 0x%08X\n"
        u"%-020ws : %ws\n"
        u"%-020ws : %ws\n"
        u"%-020ws : %ws\n",
        u"Updated Default Profile: \n-------------------------------------------------\n", u"PDP TYPE",
        pdpType, u"IPAddress", AddressByte(ipAddress, 0), AddressByte(ipAddress, 1),
        AddressByte(ipAddress, 2), AddressByte(ipAddress, 3), u"DNS1", AddressByte(primaryDns, 0),
        AddressByte(primaryDns, 1), AddressByte(primaryDns, 2), AddressByte(primaryDns, 3), u"DNS2",
        AddressByte(secondaryDns, 0), AddressByte(secondaryDns, 1), AddressByte(secondaryDns, 2),
        AddressByte(secondaryDns, 3), u"Auth", authentication, u"Profile", wideName.c_str(), u"APN",
        wideApn.c_str(), u"Username", wideUserName.c_str());
  return true;
}

void CVeskSDK::PostAttachAnnouncement(bool attached) {
  std::lock_guard<std::mutex> lock(attachAnnounceLock_);
  attachAnnounced_ = attached;
  PostNotification(attached ? WWAN_NOTIFICATION_ATTACHED_TO_DEVICE : WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, 0, 0);
}

bool CVeskSDK::PostConnectedWhileAttached(uintptr_t capability) {
  // Checked and posted under one lock, so the notification cannot slip before the attach's own or
  // behind the detach's.
  std::lock_guard<std::mutex> lock(attachAnnounceLock_);
  if (attachAnnounced_) {
    PostNotification(WWAN_NOTIFICATION_CONNECTED, 0, capability);
  }
  return attachAnnounced_;
}
