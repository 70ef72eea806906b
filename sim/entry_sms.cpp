// Stored SMS: listing, reading and changing a message's tag. Storage 0 is the SIM, 1 the device.
#include <algorithm>
#include <cstring>

#include "facade/vendor_api.h"
#include "sim/simulator.h"

using vesksim::Modem;
using vesksim::Simulator;
using vesksim::StoredSms;

namespace {

// The storage, or null when the type is bad or the SIM it names is missing.
std::map<uint32_t, StoredSms>* StorageOf(Modem& modem, ULONG storageType, ULONG* error) {
  if (storageType > 1) {
    *error = INVALID_ARGUMENT;
    return nullptr;
  }
  if (storageType == 0 && !modem.simPresent) {
    *error = QMI_ERR_NOT_PROVISIONED;
    return nullptr;
  }
  return &modem.sms[storageType];
}

}  // namespace

extern "C" {

// The list holds (message index, tag) pairs, of every message or of those with the requested tag.
ULONG GetSMSList(ULONG storageType, ULONG* pRequestedTag, ULONG* pMessageListSize, ULONG* pMessageList) {
  return Simulator::Get().Connected("GetSMSList", [&](Modem& modem) -> ULONG {
    ULONG error = 0;
    auto* storage = StorageOf(modem, storageType, &error);
    if (storage == nullptr) {
      return error;
    }
    if (pMessageListSize == nullptr || (*pMessageListSize > 0 && pMessageList == nullptr)) {
      return INVALID_ARGUMENT;
    }
    ULONG written = 0;
    for (const auto& [index, message] : *storage) {
      if (written >= *pMessageListSize) {
        break;
      }
      if (pRequestedTag == nullptr || message.tag == *pRequestedTag) {
        pMessageList[2 * written] = index;
        pMessageList[2 * written + 1] = message.tag;
        ++written;
      }
    }
    *pMessageListSize = written;
    return 0;
  });
}

// A buffer too small for the message gets nothing but the size it needs.
ULONG GetSMS(ULONG storageType, ULONG messageIndex, ULONG* pMessageTag, ULONG* pMessageFormat,
             ULONG* pMessageSize, BYTE* pMessage) {
  return Simulator::Get().Connected("GetSMS", [&](Modem& modem) -> ULONG {
    ULONG error = 0;
    auto* storage = StorageOf(modem, storageType, &error);
    if (storage == nullptr) {
      return error;
    }
    const auto it = storage->find(messageIndex);
    if (it == storage->end() || pMessageSize == nullptr || pMessage == nullptr) {
      return INVALID_ARGUMENT;
    }
    const auto& pdu = it->second.pdu;
    if (*pMessageSize < pdu.size()) {
      *pMessageSize = static_cast<ULONG>(pdu.size());
      return INVALID_ARGUMENT;
    }
    std::memcpy(pMessage, pdu.data(), pdu.size());
    *pMessageSize = static_cast<ULONG>(pdu.size());
    if (pMessageTag != nullptr) {
      *pMessageTag = it->second.tag;
    }
    if (pMessageFormat != nullptr) {
      *pMessageFormat = vesksim::kSmsFormatPdu;
    }
    return 0;
  });
}

ULONG ModifySMSStatus(ULONG storageType, ULONG messageIndex, ULONG messageTag) {
  return Simulator::Get().Connected("ModifySMSStatus", [&](Modem& modem) -> ULONG {
    ULONG error = 0;
    auto* storage = StorageOf(modem, storageType, &error);
    if (storage == nullptr) {
      return error;
    }
    const auto it = storage->find(messageIndex);
    if (it == storage->end() || messageTag > 3) {
      return INVALID_ARGUMENT;
    }
    it->second.tag = messageTag;
    return 0;
  });
}

}  // extern "C"

namespace vesksim {

int Simulator::SmsTag(uint32_t storage, uint32_t index) {
  std::lock_guard<std::mutex> lock(stateLock_);
  const auto target = EventTarget();
  if (!target || storage > 1) {
    return -1;
  }
  const auto& messages = modems_[*target].sms[storage];
  const auto it = messages.find(index);
  return it == messages.end() ? -1 : static_cast<int>(it->second.tag);
}

}  // namespace vesksim
