// CDMA account activation and the reset to factory defaults: the activation check of an attach, the
// over-the-air activation with the progress the library reports, and the reset request.
#include <iterator>
#include <mutex>

#include "device/vesk_sdk.h"
#include "platform/clock.h"
#include "trace/scope_trace.h"

namespace {

constexpr char kActivationDialString[] = "*30647";
constexpr char kServiceProgrammingCode[] = "317529";
constexpr ULONG kActivationNotActivated = 0;
constexpr ULONG kActivationActivated = 1;
constexpr ULONG kPowerModeOff = 5;

// Progress states reported through the activation status callback, by state.
constexpr const char16_t* kActivationStateTexts[] = {
    u"Service not activated",        u"Service activated",
    u"Activation connecting",        u"Activation connected",
    u"OTASP security authenticated", u"OTASP NAM downloaded",
    u"OTASP MDN downloaded",         u"OTASP IMSI downloaded",
    u"OTASP PRL downloaded",         u"OTASP SPC downloaded",
    u"OTASP settings committed",
};

}  // namespace

void CVeskSDK::EvaluateCDMAAccountActivation() {
  std::lock_guard<DeviceOperationLock> operation(deviceOperationLock_);
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::EvaluateCDMAAccountActivation");
  // A state that cannot be read counts as not activated.
  ULONG state = kActivationNotActivated;
  facade_.GetActivationState(&state);
  if (state == kActivationNotActivated) {
    Trace(kTraceLevelError,
          u"the CMDA carrier image currently loaded is not activated, cannot get the vesk device info");
    SetVoiceNumber(u"");
    ChangeDeviceStateBits(kDeviceStateNotActivated, 0);
    return;
  }
  Trace(kTraceLevelInfo, u"the current activation state is: %d", state);
  GetVeskDeviceInfo();
}

bool CVeskSDK::InitiateOverTheAirActivation() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::InitiateOverTheAirActivation");
  ULONG state = kActivationNotActivated;
  const ULONG result = facade_.GetActivationState(&state);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not get current activation state of the device (%d)", result);
    return false;
  }
  Trace(kTraceLevelInfo, u"GetActivationState: %s",
        state != kActivationNotActivated ? "activated" : "not activated");
  if (state != kActivationNotActivated) {
    Trace(kTraceLevelInfo, u"Vesk devices is already activated");
    return true;
  }
  // A modem that is not activated never had its information gathered, so the callbacks were never
  // registered: without this one the progress, and the power-down that completes it, would be lost.
  const ULONG registered = facade_.SetActivationStatusCallback(&CVeskSDK::ActivationStatusCallback);
  Trace(kTraceLevelInfo, u"set the vesk activation status callback: %p, (%u)",
        reinterpret_cast<void*>(&CVeskSDK::ActivationStatusCallback), registered);
  const ULONG activation = facade_.ActivateAutomatic(kActivationDialString);
  if (activation != 0) {
    Trace(kTraceLevelError, u"could not initialize the Vesk activation process for Verizon (%d)", activation);
    return false;
  }
  Trace(kTraceLevelInfo, u"initiated the Vesk activation process for Verizon");
  return true;
}

bool CVeskSDK::ResetToFactoryDefaults() {
  ScopeTrace scope(GetTraceLog(), GetTraceCategory(), "CVeskSDK::ResetToFactoryDefaults");
  const ULONG result = facade_.ResetToFactoryDefaults(kServiceProgrammingCode);
  if (result != 0) {
    Trace(kTraceLevelError, u"could not successfully reset the device to factory defaults (%d)", result);
    return false;
  }
  Trace(kTraceLevelInfo,
        u"start the reset to factory default process, once all handles are closed it will complete");
  return true;
}

// Runs on the library's thread and takes no manager lock; the facade serialises the power-down.
void CVeskSDK::HandleActivationStatus(ULONG activationState) {
  if (activationState >= std::size(kActivationStateTexts)) {
    Trace(kTraceLevelError, u"unknown activation state (%d)", activationState);
    return;
  }
  Trace(kTraceLevelInfo, kActivationStateTexts[activationState]);
  if (activationState == kActivationActivated) {
    Trace(kTraceLevelInfo, u"powering down the device to complete activation");
    platform::Sleep(kActivationPowerDownDelayMs);
    facade_.SetPower(kPowerModeOff);
  }
}
