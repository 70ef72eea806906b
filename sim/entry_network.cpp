// Signal, networks, data capabilities and the network preference.
#include <algorithm>

#include "facade/vendor_api.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::Modem;
using vesksim::Simulator;

namespace {

template <typename T, typename V>
void Put(T* out, V value) {
  if (out != nullptr) {
    *out = static_cast<T>(value);
  }
}

}  // namespace

extern "C" {

ULONG GetSignalStrength(INT8* pSignalStrength, ULONG* pRadioInterface) {
  return Simulator::Get().Connected("GetSignalStrength", [&](Modem& modem) -> ULONG {
    if (pSignalStrength == nullptr || pRadioInterface == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pSignalStrength = modem.signal.dbm;
    *pRadioInterface = modem.signal.radioInterface;
    return 0;
  });
}

ULONG GetSignalStrengths(ULONG* pArraySizes, INT8* pSignalStrengths, ULONG* pRadioInterfaces) {
  return Simulator::Get().Connected("GetSignalStrengths", [&](Modem& modem) -> ULONG {
    if (pArraySizes == nullptr ||
        (*pArraySizes > 0 && (pSignalStrengths == nullptr || pRadioInterfaces == nullptr))) {
      return INVALID_ARGUMENT;
    }
    const size_t count = std::min<size_t>(*pArraySizes, modem.signals.size());
    for (size_t i = 0; i < count; ++i) {
      pSignalStrengths[i] = modem.signals[i].dbm;
      pRadioInterfaces[i] = modem.signals[i].radioInterface;
    }
    *pArraySizes = static_cast<ULONG>(count);
    return 0;
  });
}

ULONG GetServingNetwork(ULONG* pRegistrationState, ULONG* pCSDomain, ULONG* pPSDomain, ULONG* pRAN,
                        BYTE* pRadioIfacesSize, BYTE* pRadioIfaces, ULONG* pRoaming, WORD* pMCC, WORD* pMNC,
                        BYTE nameSize, char* pName) {
  return Simulator::Get().Connected("GetServingNetwork", [&](Modem& modem) -> ULONG {
    if (pRadioIfacesSize != nullptr && *pRadioIfacesSize > 0 && pRadioIfaces == nullptr) {
      return INVALID_ARGUMENT;
    }
    Put(pRegistrationState, modem.registrationState);
    Put(pCSDomain, modem.csDomain);
    Put(pPSDomain, modem.psDomain);
    Put(pRAN, modem.ran);
    if (pRadioIfacesSize != nullptr) {
      const size_t count = std::min<size_t>(*pRadioIfacesSize, modem.radioInterfaces.size());
      std::copy_n(modem.radioInterfaces.begin(), count, pRadioIfaces);
      *pRadioIfacesSize = static_cast<BYTE>(count);
    }
    Put(pRoaming, modem.roaming);
    Put(pMCC, modem.servingMcc);
    Put(pMNC, modem.servingMnc);
    vesksim::CopyText(modem.servingName, nameSize, pName);
    return 0;
  });
}

ULONG GetServingNetworkCapabilities(BYTE* pDataCapsSize, ULONG* pDataCaps) {
  return Simulator::Get().Connected("GetServingNetworkCapabilities", [&](Modem& modem) -> ULONG {
    if (pDataCapsSize == nullptr || (*pDataCapsSize > 0 && pDataCaps == nullptr)) {
      return INVALID_ARGUMENT;
    }
    const size_t count = std::min<size_t>(*pDataCapsSize, modem.dataCaps.size());
    std::copy_n(modem.dataCaps.begin(), count, pDataCaps);
    *pDataCapsSize = static_cast<BYTE>(count);
    return 0;
  });
}

ULONG GetHomeNetwork(WORD* pMCC, WORD* pMNC, BYTE nameSize, char* pName, WORD* pSID, WORD* pNID) {
  return Simulator::Get().Connected("GetHomeNetwork", [&](Modem& modem) -> ULONG {
    Put(pMCC, modem.homeMcc);
    Put(pMNC, modem.homeMnc);
    vesksim::CopyText(modem.homeName, nameSize, pName);
    Put(pSID, modem.homeSid);
    Put(pNID, modem.homeNid);
    return 0;
  });
}

ULONG GetNetworkPreference(ULONG* pTechnologyPref, ULONG* pDuration, ULONG* pPersistentTechnologyPref) {
  return Simulator::Get().Connected("GetNetworkPreference", [&](Modem& modem) -> ULONG {
    if (pTechnologyPref == nullptr || pDuration == nullptr || pPersistentTechnologyPref == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pTechnologyPref = modem.networkPreference;
    *pDuration = modem.networkPreferenceDuration;
    *pPersistentTechnologyPref = modem.persistentNetworkPreference;
    return 0;
  });
}

// Duration 0 is permanent; 1 lasts until the modem restarts.
ULONG SetNetworkPreference(ULONG technologyPref, ULONG duration) {
  return Simulator::Get().Connected("SetNetworkPreference", [&](Modem& modem) -> ULONG {
    if (duration > 1) {
      return INVALID_ARGUMENT;
    }
    modem.networkPreference = technologyPref;
    modem.networkPreferenceDuration = duration;
    if (duration == 0) {
      modem.persistentNetworkPreference = technologyPref;
    }
    return 0;
  });
}

}  // extern "C"
