// The position-determination service (PDS) and tracking; NMEA sentences flow while tracking is on.
#include "facade/vendor_api.h"
#include "sim/simulator.h"

using vesksim::Modem;
using vesksim::Simulator;

namespace {

// Changes one tracking setting, reporting the PDS state when it changed.
ULONG ChangeTracking(const char* entryPoint, uint32_t Modem::*field, uintptr_t value) {
  Simulator& sim = Simulator::Get();
  return sim.Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (value > 1) {
      return INVALID_ARGUMENT;
    }
    if (field == &Modem::pdsEnabled && value == 0) {
      modem.trackingSession = false;
    }
    const bool wasTracking = vesksim::TrackingOn(modem);
    const uint32_t wasEnabled = modem.pdsEnabled;
    modem.*field = static_cast<uint32_t>(value);
    if (wasTracking != vesksim::TrackingOn(modem) || wasEnabled != modem.pdsEnabled) {
      sim.ReportPdsState(sim.connectedIndex());
    }
    sim.EnsureNmeaFeed();
    return 0;
  });
}

ULONG ReadSetting(const char* entryPoint, uint32_t Modem::*field, ULONG* out) {
  return Simulator::Get().Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (out == nullptr) {
      return INVALID_ARGUMENT;
    }
    *out = modem.*field;
    return 0;
  });
}

ULONG SetTrackingSession(const char* entryPoint, bool on) {
  Simulator& sim = Simulator::Get();
  return sim.Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (on && modem.pdsEnabled == 0) {
      return GENERAL_ERROR;
    }
    const bool wasTracking = vesksim::TrackingOn(modem);
    modem.trackingSession = on;
    if (wasTracking != vesksim::TrackingOn(modem)) {
      sim.ReportPdsState(sim.connectedIndex());
    }
    sim.EnsureNmeaFeed();
    return 0;
  });
}

}  // namespace

extern "C" {

ULONG GetPDSState(ULONG* pEnabledStatus, ULONG* pTrackingStatus) {
  return Simulator::Get().Connected("GetPDSState", [&](Modem& modem) -> ULONG {
    if (pEnabledStatus == nullptr || pTrackingStatus == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pEnabledStatus = modem.pdsEnabled;
    *pTrackingStatus = vesksim::TrackingOn(modem) ? 1 : 0;
    return 0;
  });
}

ULONG SetPDSState(ULONG enable) {
  return ChangeTracking("SetPDSState", &Modem::pdsEnabled, enable);
}

// (one parameter, the session's options; any value starts tracking)
ULONG StartPDSTrackingSession(uintptr_t) {
  return SetTrackingSession("StartPDSTrackingSession", true);
}

ULONG StopPDSTrackingSession(void) {
  return SetTrackingSession("StopPDSTrackingSession", false);
}

ULONG GetServiceAutomaticTracking(ULONG* pAuto) {
  return ReadSetting("GetServiceAutomaticTracking", &Modem::serviceAutoTracking, pAuto);
}

ULONG SetServiceAutomaticTracking(ULONG automatic) {
  return ChangeTracking("SetServiceAutomaticTracking", &Modem::serviceAutoTracking, automatic);
}

// (ULONG* pAuto)
ULONG GetPortAutomaticTracking(uintptr_t pAuto) {
  return ReadSetting("GetPortAutomaticTracking", &Modem::portAutoTracking, reinterpret_cast<ULONG*>(pAuto));
}

// (ULONG automatic)
ULONG SetPortAutomaticTracking(uintptr_t automatic) {
  return ChangeTracking("SetPortAutomaticTracking", &Modem::portAutoTracking, automatic);
}

}  // extern "C"
