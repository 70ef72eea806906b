// SIM status and PIN: the PIN 1 state read into the SIM status bits, what the host is told of it, and
// the host's unlock. A ready SIM starts the gathering of the device information.
#include <mutex>
#include <optional>
#include <string>

#include "device/vesk_sdk.h"
#include "facade/enumerations.h"
#include "platform/clock.h"
#include "trace/scope_trace.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace {

constexpr ULONG kPin1 = 1;

struct HostSimStatusRow {
  uint32_t simStatusBits;
  int32_t hostSimStatus;
};

// Keyed by the whole bitmap: a bitmap made of other bit combinations is unknown to the host.
constexpr HostSimStatusRow kHostSimStatus[] = {
    {NORMAL_SIM_STATUS_READY, HOST_SIM_STATUS_READY},
    {NORMAL_SIM_STATUS_READY | NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED, HOST_SIM_STATUS_READY},
    {NORMAL_SIM_STATUS_READY | NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED, HOST_SIM_STATUS_READY},
    {NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED | NORMAL_SIM_STATUS_PIN1_REQUIRED, HOST_SIM_STATUS_LOCKED},
    {NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED | NORMAL_SIM_STATUS_PIN2_REQUIRED, HOST_SIM_STATUS_LOCKED},
    {NORMAL_SIM_STATUS_NOT_EQUIP, HOST_SIM_STATUS_MISSING},
    {NORMAL_SIM_STATUS_UNKNOWN, HOST_SIM_STATUS_UNKNOWN},
};

}  // namespace

int32_t CVeskSDK::HostSimStatus(uint32_t simStatusBits) {
  for (const HostSimStatusRow& row : kHostSimStatus) {
    if (row.simStatusBits == simStatusBits) {
      return row.hostSimStatus;
    }
  }
  return HOST_SIM_STATUS_UNKNOWN;
}

void CVeskSDK::EvaluateSimStatus() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::EvaluateSimStatus");

  const uint32_t technology = WithInfo([](CachedCellularInfo& info) {
    info.simStatusBits = 0;
    return info.technology;
  });
  if (technology == TECHNOLOGY_CDMA) {
    Trace(kTraceLevelError, u"EvaluateSimStatus: SIM will ready if CDMA");
    WithInfo([](CachedCellularInfo& info) { info.simStatusBits |= NORMAL_SIM_STATUS_READY; });
    return;
  }

  ULONG pinStatus = static_cast<ULONG>(VeskSDKFacade::SIMPinStatus_Unknown);
  ULONG verifyRetriesLeft = 0;
  ULONG unblockRetriesLeft = 0;
  ULONG result = facade_.UIMGetPINStatus(kPin1, &pinStatus, &verifyRetriesLeft, &unblockRetriesLeft);
  for (int attempt = 1; attempt < kPinStatusAttempts && IsRetryableResult(result); ++attempt) {
    Trace(kTraceLevelError, u"Retry UIMGetPINStatus, previous result %lu", result);
    platform::Sleep(kQueryRetryPauseMs);
    result = facade_.UIMGetPINStatus(kPin1, &pinStatus, &verifyRetriesLeft, &unblockRetriesLeft);
  }

  uint32_t pinBits = NORMAL_SIM_STATUS_UNKNOWN;
  if (result == 0) {
    const auto status = static_cast<int32_t>(pinStatus);
    Trace(kTraceLevelInfo, u"EvaluateSimStatus: no error getting sim status '%ws' for PIN%d (pinStatus = %d)",
          VeskSDKFacade::SIMPinStatusText(status).c_str(), kPin1, status);
    const std::optional<VeskSDKFacade::SimStatusBitsOfPin> bits =
        VeskSDKFacade::SimStatusBitsForPinStatus(status);
    pinBits = bits ? bits->pin1Bits : 0;
  } else {
    Trace(kTraceLevelError, u"EvaluateSimStatus: error getting sim status %u for PIN%d'", result, kPin1);
  }
  const uint32_t bitmap = WithInfo([pinBits](CachedCellularInfo& info) {
    info.simStatusBits |= pinBits;
    return info.simStatusBits;
  });

  Trace(kTraceLevelInfo, u"SIM status bitmap: %ws", VeskSDKFacade::SimStatusBitsReport(bitmap).c_str());
  Trace(kTraceLevelInfo, u"current SIM status is '%ws'", VeskSDKFacade::SimStatusShortText(bitmap).c_str());
  PostNotification(WWAN_NOTIFICATION_SIM_STATUS, static_cast<uintptr_t>(HostSimStatus(bitmap)), 0);

  if ((bitmap & NORMAL_SIM_STATUS_READY) != 0) {
    GetVeskDeviceInfo();
  }
}

// The PIN goes to the library and nowhere else: it is never traced or kept.
bool CVeskSDK::UnlockSim(const char* pin) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockSim");
  if (!IsOpenFor("CVeskSDK::UnlockSim")) {
    return false;
  }
  if (pin == nullptr) {
    Trace(kTraceLevelError, u"UnlockSim: no PIN given");
    return false;
  }
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ULONG verifyRetriesLeft = 0;
  ULONG unblockRetriesLeft = 0;
  const ULONG result = facade_.UIMVerifyPIN(kPin1, pin, &verifyRetriesLeft, &unblockRetriesLeft);
  if (result == 0) {
    Trace(kTraceLevelInfo, u"successfully made call to verify SIM PIN");
  } else {
    Trace(kTraceLevelError,
          u"failed verify SIM PIN (rc = '%d') [retries left = %d; unblock retries left = %d]", result,
          verifyRetriesLeft, unblockRetriesLeft);
  }
  Trace(kTraceLevelInfo, u"evaluating the SIM status after attempt to unlock");
  EvaluateSimStatus();
  return result == 0;
}

bool CVeskSDK::UnlockDevice(const char* /*code*/) {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::UnlockDevice");
  Trace(kTraceLevelInfo, u"function not implemented for vesk SDKs");
  return false;
}
