// Power modes, CDMA account activation and the factory reset.
#include <string_view>

#include "facade/vendor_api.h"
#include "sim/simulator.h"

using vesksim::Modem;
using vesksim::Simulator;

extern "C" {

// Once the modem is gone the answer is NO_WWAN_DEVICE, which tells the client to let go.
ULONG GetPower(ULONG* pPowerMode) {
  return Simulator::Get().Connected(
      "GetPower",
      [&](Modem& modem) -> ULONG {
        if (pPowerMode == nullptr) {
          return INVALID_ARGUMENT;
        }
        *pPowerMode = modem.powerMode;
        return 0;
      },
      NO_WWAN_DEVICE);
}

// Resetting (4) and powering off (5) restart the modem: it goes away and comes back online.
ULONG SetPower(ULONG powerMode) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("SetPower", [&](Modem& modem) -> ULONG {
    if (powerMode > 6) {
      return INVALID_ARGUMENT;
    }
    if (powerMode == 4 || powerMode == 5) {
      sim.Restart(sim.connectedIndex(), powerMode, std::nullopt);
    } else {
      modem.powerMode = powerMode;
      sim.ReportPower(sim.connectedIndex());
    }
    return 0;
  });
}

ULONG GetActivationState(ULONG* pActivationState) {
  return Simulator::Get().Connected("GetActivationState", [&](Modem& modem) -> ULONG {
    if (pActivationState == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pActivationState = modem.activationState;
    return 0;
  });
}

// Over-the-air activation of a CDMA account; progress arrives through the activation callback.
ULONG ActivateAutomatic(const char* pActivationCode) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("ActivateAutomatic", [&](Modem& modem) -> ULONG {
    if (pActivationCode == nullptr || *pActivationCode == '\0') {
      return INVALID_ARGUMENT;
    }
    if (modem.firmware.technology != 0) {
      return GENERAL_ERROR;
    }
    if (modem.activationState != 0) {
      return QMI_ERR_NO_EFFECT;
    }
    sim.StartActivation(sim.connectedIndex());
    return 0;
  });
}

// Accepted with the right service programming code; carried out when the client disconnects.
ULONG ResetToFactoryDefaults(const char* pSPC) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("ResetToFactoryDefaults", [&](Modem& modem) -> ULONG {
    if (pSPC == nullptr) {
      return INVALID_ARGUMENT;
    }
    if (std::string_view(pSPC) != modem.spc) {
      return GENERAL_ERROR;
    }
    sim.ScheduleFactoryReset(sim.connectedIndex());
    return 0;
  });
}

}  // extern "C"
