// Finding, connecting and letting go of a modem.
#include "facade/vendor_api.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::Modem;
using vesksim::Simulator;

extern "C" {

ULONG QCWWAN2kEnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices) {
  return Simulator::Get().EnumerateDevices(pDevicesSize, pDevices);
}

ULONG QCWWANConnect(void) {
  return Simulator::Get().Connect("QCWWANConnect", nullptr, nullptr);
}

ULONG QCWWAN2kConnect(const char* pDeviceID, const char* pDeviceKey) {
  if (pDeviceID == nullptr || pDeviceKey == nullptr) {
    Simulator::Get().gate().Enter("QCWWAN2kConnect");
    return INVALID_ARGUMENT;
  }
  return Simulator::Get().Connect("QCWWAN2kConnect", pDeviceID, pDeviceKey);
}

ULONG QCWWANDisconnect(void) {
  return Simulator::Get().Disconnect();
}

ULONG QCWWANGetConnectedDeviceID(ULONG deviceIDSize, char* pDeviceID) {
  return Simulator::Get().Connected("QCWWANGetConnectedDeviceID", [&](Modem& modem) -> ULONG {
    if (pDeviceID == nullptr || deviceIDSize == 0) {
      return INVALID_ARGUMENT;
    }
    vesksim::CopyText(modem.deviceId, deviceIDSize, pDeviceID);
    return 0;
  });
}

// (ULONG deviceIDSize, char* pDeviceID, ULONG deviceKeySize, char* pDeviceKey)
ULONG QCWWAN2kGetConnectedDeviceID(uintptr_t deviceIDSize, uintptr_t pDeviceID, uintptr_t deviceKeySize,
                                   uintptr_t pDeviceKey) {
  return Simulator::Get().Connected("QCWWAN2kGetConnectedDeviceID", [&](Modem& modem) -> ULONG {
    if (pDeviceID == 0 || pDeviceKey == 0) {
      return INVALID_ARGUMENT;
    }
    vesksim::CopyText(modem.deviceId, static_cast<ULONG>(deviceIDSize), reinterpret_cast<char*>(pDeviceID));
    vesksim::CopyText(modem.deviceKey, static_cast<ULONG>(deviceKeySize),
                      reinterpret_cast<char*>(pDeviceKey));
    return 0;
  });
}

}  // extern "C"
