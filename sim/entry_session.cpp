// Data sessions, the default profile and autoconnect.
#include <string>
#include <utility>

#include "facade/vendor_api.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::Modem;
using vesksim::Profile;
using vesksim::Simulator;

namespace {

// A start succeeds only on a modem that could really place the call.
bool ReadyForData(const Modem& modem) {
  const bool simLocked = modem.firmware.technology != 0 &&
                         modem.pin1.status != vesksim::kPinEnabledVerified &&
                         modem.pin1.status != vesksim::kPinDisabled;
  return modem.powerMode == 0 && vesksim::HasSubscription(modem) && !simLocked;
}

void Put(ULONG* out, ULONG value) {
  if (out != nullptr) {
    *out = value;
  }
}

}  // namespace

extern "C" {

ULONG GetSessionState(ULONG* pState) {
  return Simulator::Get().Connected("GetSessionState", [&](Modem& modem) -> ULONG {
    if (pState == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pState = modem.sessionState;
    return 0;
  });
}

ULONG StartDataSession(ULONG* pTechnology, ULONG* pPrimaryDNS, ULONG* pSecondaryDNS, ULONG* pPrimaryNBNS,
                       ULONG* pSecondaryNBNS, const char* pAPNName, ULONG* pIPAddress, ULONG* pAuthentication,
                       const char* pUsername, const char* pPassword, ULONG* pSessionId) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("StartDataSession", [&](Modem& modem) -> ULONG {
    (void)pTechnology;
    (void)pAuthentication;
    (void)pPassword;
    if (pSessionId == nullptr) {
      return INVALID_ARGUMENT;
    }
    if (modem.startResult != 0) {
      return modem.startResult;
    }
    if (modem.sessionState != vesksim::kSessionDisconnected) {
      return QMI_ERR_NO_EFFECT;
    }
    if (!ReadyForData(modem)) {
      return GENERAL_ERROR;
    }
    modem.sessionApn = pAPNName != nullptr ? pAPNName : modem.defaultProfile.apn;
    modem.sessionUser = pUsername != nullptr ? pUsername : "";
    modem.sessionId = modem.nextSessionId++;
    *pSessionId = modem.sessionId;
    const Profile& profile = modem.defaultProfile;
    Put(pIPAddress, profile.ipAddress != 0 ? profile.ipAddress : 0x0A000002);
    Put(pPrimaryDNS, profile.primaryDns != 0 ? profile.primaryDns : 0x0A000001);
    Put(pSecondaryDNS, profile.secondaryDns);
    Put(pPrimaryNBNS, 0);
    Put(pSecondaryNBNS, 0);
    sim.StartSession(sim.connectedIndex());
    return 0;
  });
}

ULONG StopDataSession(ULONG sessionId) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("StopDataSession", [&](Modem& modem) -> ULONG {
    // The modem stops whatever session runs: one it started by itself has an ID the client never saw.
    (void)sessionId;
    if (modem.sessionState == vesksim::kSessionDisconnected) {
      return QMI_ERR_NO_EFFECT;
    }
    sim.StopSession(sim.connectedIndex(), 2);
    return 0;
  });
}

ULONG CancelDataSession(void) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("CancelDataSession", [&](Modem& modem) -> ULONG {
    if (modem.sessionState == vesksim::kSessionConnected) {
      return QMI_ERR_NO_EFFECT;
    }
    sim.StopSession(sim.connectedIndex(), 2);
    return 0;
  });
}

ULONG GetDefaultProfile(ULONG profileType, ULONG* pPDPType, ULONG* pIPAddress, ULONG* pPrimaryDNS,
                        ULONG* pSecondaryDNS, ULONG* pAuthentication, BYTE nameSize, char* pName,
                        BYTE apnSize, char* pAPNName, BYTE userSize, char* pUsername) {
  return Simulator::Get().Connected("GetDefaultProfile", [&](Modem& modem) -> ULONG {
    if (profileType != 0) {
      return INVALID_ARGUMENT;
    }
    const Profile& profile = modem.defaultProfile;
    Put(pPDPType, profile.pdpType);
    Put(pIPAddress, profile.ipAddress);
    Put(pPrimaryDNS, profile.primaryDns);
    Put(pSecondaryDNS, profile.secondaryDns);
    Put(pAuthentication, profile.authentication);
    vesksim::CopyText(profile.name, nameSize, pName);
    vesksim::CopyText(profile.apn, apnSize, pAPNName);
    vesksim::CopyText(profile.userName, userSize, pUsername);
    return 0;
  });
}

ULONG SetDefaultProfile(ULONG profileType, ULONG* pPDPType, ULONG* pIPAddress, ULONG* pPrimaryDNS,
                        ULONG* pSecondaryDNS, ULONG* pAuthentication, const char* pName, const char* pAPNName,
                        const char* pUsername, const char* pPassword) {
  return Simulator::Get().Connected("SetDefaultProfile", [&](Modem& modem) -> ULONG {
    if (profileType != 0) {
      return INVALID_ARGUMENT;
    }
    // Values left null stay as they are.
    Profile& profile = modem.defaultProfile;
    const std::pair<const ULONG*, uint32_t*> numbers[] = {{pPDPType, &profile.pdpType},
                                                          {pIPAddress, &profile.ipAddress},
                                                          {pPrimaryDNS, &profile.primaryDns},
                                                          {pSecondaryDNS, &profile.secondaryDns},
                                                          {pAuthentication, &profile.authentication}};
    for (const auto& [in, field] : numbers) {
      if (in != nullptr) {
        *field = *in;
      }
    }
    const std::pair<const char*, std::string*> texts[] = {{pName, &profile.name},
                                                          {pAPNName, &profile.apn},
                                                          {pUsername, &profile.userName},
                                                          {pPassword, &profile.password}};
    for (const auto& [in, field] : texts) {
      if (in != nullptr) {
        *field = std::string(in).substr(0, 127);
      }
    }
    return 0;
  });
}

ULONG GetAutoconnect(ULONG* pSetting) {
  return Simulator::Get().Connected("GetAutoconnect", [&](Modem& modem) -> ULONG {
    if (pSetting == nullptr) {
      return INVALID_ARGUMENT;
    }
    *pSetting = modem.autoconnect;
    return 0;
  });
}

ULONG SetAutoconnect(ULONG setting) {
  Simulator& sim = Simulator::Get();
  return sim.Connected("SetAutoconnect", [&](Modem& modem) -> ULONG {
    if (setting > 1) {
      return INVALID_ARGUMENT;
    }
    if (setting == modem.autoconnect) {
      return QMI_ERR_NO_EFFECT;
    }
    modem.autoconnect = setting;
    sim.AutoConnect(sim.connectedIndex());
    return 0;
  });
}

}  // extern "C"
