// Identities: model, firmware, serial numbers, subscriber numbers.
#include "facade/vendor_api.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::CopyText;
using vesksim::Modem;
using vesksim::Simulator;

namespace {

ULONG ReadText(const char* entryPoint, std::string Modem::*field, BYTE size, char* out) {
  return Simulator::Get().Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (out == nullptr || size == 0) {
      return INVALID_ARGUMENT;
    }
    CopyText(modem.*field, size, out);
    return 0;
  });
}

// Texts that live on the SIM.
ULONG ReadSimText(const char* entryPoint, std::string Modem::*field, BYTE size, char* out) {
  return Simulator::Get().Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (out == nullptr || size == 0) {
      return INVALID_ARGUMENT;
    }
    if (!modem.simPresent || (modem.*field).empty()) {
      return QMI_ERR_NOT_PROVISIONED;
    }
    CopyText(modem.*field, size, out);
    return 0;
  });
}

}  // namespace

extern "C" {

ULONG GetManufacturer(BYTE stringSize, char* pString) {
  return ReadText("GetManufacturer", &Modem::manufacturer, stringSize, pString);
}

ULONG GetModelID(BYTE stringSize, char* pString) {
  return ReadText("GetModelID", &Modem::modelId, stringSize, pString);
}

ULONG GetFirmwareRevision(BYTE stringSize, char* pString) {
  return ReadText("GetFirmwareRevision", &Modem::firmwareRevision, stringSize, pString);
}

ULONG GetIMSI(BYTE stringSize, char* pString) {
  return ReadSimText("GetIMSI", &Modem::imsi, stringSize, pString);
}

ULONG UIMGetICCID(BYTE stringSize, char* pString) {
  return ReadSimText("UIMGetICCID", &Modem::iccid, stringSize, pString);
}

ULONG GetFirmwareRevisions(BYTE amssSize, char* pAMSS, BYTE bootSize, char* pBoot, BYTE priSize, char* pPRI) {
  return Simulator::Get().Connected("GetFirmwareRevisions", [&](Modem& modem) -> ULONG {
    CopyText(modem.amssRevision, amssSize, pAMSS);
    CopyText(modem.bootRevision, bootSize, pBoot);
    CopyText(modem.priRevision, priSize, pPRI);
    return 0;
  });
}

ULONG GetFirmwareInfo(ULONG* pFirmwareID, ULONG* pTechnology, ULONG* pCarrier, ULONG* pRegion,
                      ULONG* pGPSCapability) {
  return Simulator::Get().Connected("GetFirmwareInfo", [&](Modem& modem) -> ULONG {
    if (!pFirmwareID || !pTechnology || !pCarrier || !pRegion || !pGPSCapability) {
      return INVALID_ARGUMENT;
    }
    *pFirmwareID = modem.firmware.firmwareId;
    *pTechnology = modem.firmware.technology;
    *pCarrier = modem.firmware.carrier;
    *pRegion = modem.firmware.region;
    *pGPSCapability = modem.firmware.gpsCapability;
    return 0;
  });
}

// Not provisioned without a SIM (UMTS) or before activation (CDMA).
ULONG GetVoiceNumber(BYTE voiceNumberSize, char* pVoiceNumber, BYTE minSize, char* pMIN) {
  return Simulator::Get().Connected("GetVoiceNumber", [&](Modem& modem) -> ULONG {
    if (pVoiceNumber == nullptr || voiceNumberSize == 0) {
      return INVALID_ARGUMENT;
    }
    if (!vesksim::HasSubscription(modem) || modem.voiceNumber.empty()) {
      return QMI_ERR_NOT_PROVISIONED;
    }
    CopyText(modem.voiceNumber, voiceNumberSize, pVoiceNumber);
    CopyText(modem.min, minSize, pMIN);
    return 0;
  });
}

ULONG GetSerialNumbers(BYTE esnSize, char* pESN, BYTE imeiSize, char* pIMEI, BYTE meidSize, char* pMEID) {
  return Simulator::Get().Connected("GetSerialNumbers", [&](Modem& modem) -> ULONG {
    CopyText(modem.esn, esnSize, pESN);
    CopyText(modem.imei, imeiSize, pIMEI);
    CopyText(modem.meid, meidSize, pMEID);
    return 0;
  });
}

}  // extern "C"
