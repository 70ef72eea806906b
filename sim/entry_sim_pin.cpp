// The SIM's PINs: status, verification, unblocking, change and protection, and the device lock.
#include <string_view>

#include "facade/vendor_api.h"
#include "sim/simulator.h"

using vesksim::Modem;
using vesksim::SimPin;
using vesksim::Simulator;

namespace {

SimPin* PinOf(Modem& modem, uintptr_t id) {
  return id == 1 ? &modem.pin1 : id == 2 ? &modem.pin2 : nullptr;
}

void PutRetries(const SimPin& pin, ULONG* pVerifyRetriesLeft, ULONG* pUnblockRetriesLeft) {
  if (pVerifyRetriesLeft != nullptr) {
    *pVerifyRetriesLeft = pin.retries;
  }
  if (pUnblockRetriesLeft != nullptr) {
    *pUnblockRetriesLeft = pin.unblockRetries;
  }
}

bool Blocked(const SimPin& pin) {
  return pin.status == vesksim::kPinBlocked || pin.status == vesksim::kPinPermanentlyBlocked;
}

// A wrong PIN costs a retry; the last one blocks the PIN.
ULONG WrongPin(SimPin& pin) {
  if (pin.retries > 0) {
    --pin.retries;
  }
  if (pin.retries == 0) {
    pin.status = vesksim::kPinBlocked;
    return vesksim::kResultPinBlocked;
  }
  return vesksim::kResultIncorrectPin;
}

// Runs op on a PIN after the checks every PIN operation shares; fills the retry counters after.
template <typename Op>
ULONG WithPin(const char* entryPoint, uintptr_t id, const char* value, uintptr_t pVerify, uintptr_t pUnblock,
              Op op) {
  return Simulator::Get().Connected(entryPoint, [&](Modem& modem) -> ULONG {
    if (!modem.simPresent) {
      return QMI_ERR_NOT_PROVISIONED;
    }
    SimPin* pin = PinOf(modem, id);
    if (pin == nullptr || value == nullptr) {
      return INVALID_ARGUMENT;
    }
    const ULONG result = op(*pin, std::string_view(value));
    PutRetries(*pin, reinterpret_cast<ULONG*>(pVerify), reinterpret_cast<ULONG*>(pUnblock));
    return result;
  });
}

}  // namespace

extern "C" {

// Without a SIM the status is unknown (-1) and both counters 0.
ULONG UIMGetPINStatus(ULONG id, ULONG* pStatus, ULONG* pVerifyRetriesLeft, ULONG* pUnblockRetriesLeft) {
  return Simulator::Get().Connected("UIMGetPINStatus", [&](Modem& modem) -> ULONG {
    SimPin* pin = PinOf(modem, id);
    if (pin == nullptr || pStatus == nullptr) {
      return INVALID_ARGUMENT;
    }
    if (!modem.simPresent) {
      *pStatus = vesksim::kPinUnknown;
      PutRetries(SimPin{vesksim::kPinUnknown, "", "", 0, 0, 0, 0}, pVerifyRetriesLeft, pUnblockRetriesLeft);
      return 0;
    }
    *pStatus = pin->status;
    PutRetries(*pin, pVerifyRetriesLeft, pUnblockRetriesLeft);
    return 0;
  });
}

ULONG UIMVerifyPIN(ULONG id, const char* pValue, ULONG* pVerifyRetriesLeft, ULONG* pUnblockRetriesLeft) {
  return WithPin("UIMVerifyPIN", id, pValue, reinterpret_cast<uintptr_t>(pVerifyRetriesLeft),
                 reinterpret_cast<uintptr_t>(pUnblockRetriesLeft),
                 [](SimPin& pin, std::string_view value) -> ULONG {
                   if (Blocked(pin)) {
                     return vesksim::kResultPinBlocked;
                   }
                   if (pin.status == vesksim::kPinUninitialized || pin.status == vesksim::kPinUnknown) {
                     return GENERAL_ERROR;
                   }
                   if (value != pin.code) {
                     return WrongPin(pin);
                   }
                   pin.retries = pin.maxRetries;
                   if (pin.status == vesksim::kPinEnabledNotVerified) {
                     pin.status = vesksim::kPinEnabledVerified;
                   }
                   return 0;
                 });
}

// (ULONG id, const char* pPUKValue, const char* pNewValue, ULONG* pVerifyRetriesLeft, ULONG*
// pUnblockRetriesLeft)
ULONG UIMUnblockPIN(uintptr_t id, uintptr_t pPUKValue, uintptr_t pNewValue, uintptr_t pVerifyRetriesLeft,
                    uintptr_t pUnblockRetriesLeft) {
  const auto* newValue = reinterpret_cast<const char*>(pNewValue);
  return WithPin("UIMUnblockPIN", id, reinterpret_cast<const char*>(pPUKValue), pVerifyRetriesLeft,
                 pUnblockRetriesLeft, [newValue](SimPin& pin, std::string_view puk) -> ULONG {
                   if (newValue == nullptr) {
                     return INVALID_ARGUMENT;
                   }
                   if (pin.status == vesksim::kPinPermanentlyBlocked) {
                     return vesksim::kResultPinBlocked;
                   }
                   if (puk != pin.puk) {
                     if (pin.unblockRetries > 0 && --pin.unblockRetries == 0) {
                       pin.status = vesksim::kPinPermanentlyBlocked;
                       pin.retries = 0;
                       return vesksim::kResultPinBlocked;
                     }
                     return vesksim::kResultIncorrectPin;
                   }
                   pin.code = newValue;
                   pin.status = vesksim::kPinEnabledVerified;
                   pin.retries = pin.maxRetries;
                   pin.unblockRetries = pin.maxUnblockRetries;
                   return 0;
                 });
}

// (ULONG id, const char* pOldValue, const char* pNewValue, ULONG* pVerifyRetriesLeft, ULONG*
// pUnblockRetriesLeft)
ULONG UIMChangePIN(uintptr_t id, uintptr_t pOldValue, uintptr_t pNewValue, uintptr_t pVerifyRetriesLeft,
                   uintptr_t pUnblockRetriesLeft) {
  const auto* newValue = reinterpret_cast<const char*>(pNewValue);
  return WithPin(
      "UIMChangePIN", id, reinterpret_cast<const char*>(pOldValue), pVerifyRetriesLeft, pUnblockRetriesLeft,
      [newValue](SimPin& pin, std::string_view old) -> ULONG {
        if (newValue == nullptr) {
          return INVALID_ARGUMENT;
        }
        if (Blocked(pin)) {
          return vesksim::kResultPinBlocked;
        }
        if (pin.status != vesksim::kPinEnabledNotVerified && pin.status != vesksim::kPinEnabledVerified) {
          return GENERAL_ERROR;  // a disabled PIN cannot be changed
        }
        if (old != pin.code) {
          return WrongPin(pin);
        }
        pin.code = newValue;
        pin.status = vesksim::kPinEnabledVerified;
        pin.retries = pin.maxRetries;
        return 0;
      });
}

// (ULONG id, ULONG enable, const char* pValue, ULONG* pVerifyRetriesLeft, ULONG* pUnblockRetriesLeft)
ULONG UIMSetPINProtection(uintptr_t id, uintptr_t enable, uintptr_t pValue, uintptr_t pVerifyRetriesLeft,
                          uintptr_t pUnblockRetriesLeft) {
  return WithPin("UIMSetPINProtection", id, reinterpret_cast<const char*>(pValue), pVerifyRetriesLeft,
                 pUnblockRetriesLeft, [enable](SimPin& pin, std::string_view value) -> ULONG {
                   if (Blocked(pin)) {
                     return vesksim::kResultPinBlocked;
                   }
                   if (value != pin.code) {
                     return WrongPin(pin);
                   }
                   pin.retries = pin.maxRetries;
                   pin.status = enable != 0 ? vesksim::kPinEnabledVerified : vesksim::kPinDisabled;
                   return 0;
                 });
}

// The device lock: remembered, with no effect on the SIM.
ULONG SetLock(ULONG state, const char* pCurrentPIN) {
  return Simulator::Get().Connected("SetLock", [&](Modem& modem) -> ULONG {
    if (pCurrentPIN == nullptr || state > 2) {
      return INVALID_ARGUMENT;
    }
    modem.lockState = state;
    return 0;
  });
}

}  // extern "C"
