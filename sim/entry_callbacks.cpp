// Callback registration. A null callback unregisters; callbacks are forgotten at disconnect.
#include <algorithm>

#include "facade/vendor_api.h"
#include "sim/simulator.h"

using vesksim::Callbacks;
using vesksim::Modem;
using vesksim::Simulator;

namespace {

template <typename Fn>
ULONG Register(const char* entryPoint, Fn Callbacks::*slot, Fn callback) {
  Simulator& sim = Simulator::Get();
  return sim.Connected(entryPoint, [&](Modem&) -> ULONG {
    sim.callbacks().*slot = callback;
    return 0;
  });
}

// Callbacks of events this modem never has: accepted, never called.
ULONG Accept(const char* entryPoint) {
  return Simulator::Get().Connected(entryPoint, [](Modem&) -> ULONG { return 0; });
}

}  // namespace

extern "C" {

ULONG SetSessionStateCallback(SessionStateCallbackFn pCallback) {
  return Register("SetSessionStateCallback", &Callbacks::sessionState, pCallback);
}

ULONG SetByteTotalsCallback(ByteTotalsCallbackFn pCallback, BYTE interval) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("SetByteTotalsCallback", [&](Modem&) -> ULONG {
    sim.callbacks().byteTotals = pCallback;
    sim.callbacks().byteTotalsIntervalS = std::max<uint32_t>(interval, 1);
    return 0;
  });
}

ULONG SetDataCapabilitiesCallback(DataCapabilitiesCallbackFn pCallback) {
  return Register("SetDataCapabilitiesCallback", &Callbacks::dataCapabilities, pCallback);
}

ULONG SetActivationStatusCallback(ActivationStatusCallbackFn pCallback) {
  return Register("SetActivationStatusCallback", &Callbacks::activationStatus, pCallback);
}

ULONG SetRoamingIndicatorCallback(RoamingIndicatorCallbackFn pCallback) {
  return Register("SetRoamingIndicatorCallback", &Callbacks::roamingIndicator, pCallback);
}

ULONG SetNewSMSCallback(NewSMSCallbackFn pCallback) {
  return Register("SetNewSMSCallback", &Callbacks::newSms, pCallback);
}

ULONG SetSignalStrengthCallback(SignalStrengthCallbackFn pCallback, BYTE thresholdsSize, INT8* pThresholds) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("SetSignalStrengthCallback", [&](Modem& modem) -> ULONG {
    if (thresholdsSize > 0 && pThresholds == nullptr) {
      return INVALID_ARGUMENT;
    }
    Callbacks& callbacks = sim.callbacks();
    callbacks.signalStrength = pCallback;
    callbacks.thresholds.assign(pThresholds, pThresholds + thresholdsSize);
    // Reports start from the strength the modem has now.
    callbacks.reportedBand =
        static_cast<size_t>(std::count_if(callbacks.thresholds.begin(), callbacks.thresholds.end(),
                                          [&](int8_t threshold) { return modem.signal.dbm >= threshold; }));
    callbacks.reportedInterface = modem.signal.radioInterface;
    return 0;
  });
}

ULONG SetPowerCallback(PowerCallbackFn pCallback) {
  return Register("SetPowerCallback", &Callbacks::power, pCallback);
}

ULONG SetDeviceRemovalCallback(DeviceRemovalCallbackFn pCallback) {
  return Register("SetDeviceRemovalCallback", &Callbacks::deviceRemoval, pCallback);
}

ULONG SetNMEACallback(NMEACallbackFn pCallback) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("SetNMEACallback", [&](Modem&) -> ULONG {
    sim.callbacks().nmea = pCallback;
    sim.EnsureNmeaFeed();
    return 0;
  });
}

ULONG SetPDSStateCallback(PDSStateCallbackFn pCallback) {
  return Register("SetPDSStateCallback", &Callbacks::pdsState, pCallback);
}

ULONG SetDataBearerCallback(uintptr_t) {
  return Accept("SetDataBearerCallback");
}
ULONG SetDormancyStatusCallback(uintptr_t) {
  return Accept("SetDormancyStatusCallback");
}
ULONG SetRFInfoCallback(uintptr_t) {
  return Accept("SetRFInfoCallback");
}
ULONG SetMobileIPStatusCallback(uintptr_t) {
  return Accept("SetMobileIPStatusCallback");
}
ULONG SetLURejectCallback(uintptr_t) {
  return Accept("SetLURejectCallback");
}
ULONG SetNMEAPlusCallback(uintptr_t) {
  return Accept("SetNMEAPlusCallback");
}
ULONG SetCATEventCallback(uintptr_t, uintptr_t, uintptr_t) {
  return Accept("SetCATEventCallback");
}
ULONG SetOMADMAlertCallback(uintptr_t) {
  return Accept("SetOMADMAlertCallback");
}
ULONG SetOMADMStateCallback(uintptr_t) {
  return Accept("SetOMADMStateCallback");
}

}  // extern "C"
