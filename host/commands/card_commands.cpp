// card: the card information the plug-in gives the host, one labelled line per field.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "host/commands/command_table.h"
#include "platform/text.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

// A text field of the record, read no further than the field even if the module left it unterminated.
std::string Text(const HostText& field) {
  std::size_t length = 0;
  while (length < kHostTextLength && field[length] != u'\0') {
    ++length;
  }
  return platform::Narrow(std::u16string_view(field, length));
}

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", value);
  return text;
}

struct BitName {
  uint32_t bit;
  const char* text;
};

constexpr BitName kSimBits[] = {
    {NORMAL_SIM_STATUS_READY, "ready"},
    {NORMAL_SIM_STATUS_PIN1_LOCK_ENABLED, "PIN lock on"},
    {NORMAL_SIM_STATUS_PIN1_REQUIRED, "PIN required"},
    {NORMAL_SIM_STATUS_PUK1_REQUIRED, "PUK required"},
    {NORMAL_SIM_STATUS_PIN2_LOCK_ENABLED, "PIN2 lock on"},
    {NORMAL_SIM_STATUS_PIN2_REQUIRED, "PIN2 required"},
    {NORMAL_SIM_STATUS_PUK2_REQUIRED, "PUK2 required"},
    {NORMAL_SIM_STATUS_NOT_INITIALIZED, "not initialised"},
    {NORMAL_SIM_STATUS_OTHER, "other"},
    {NORMAL_SIM_STATUS_ILLEGAL, "illegal"},
    {NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED, "permanently blocked"},
    {NORMAL_SIM_STATUS_UNKNOWN, "unknown"},
    {NORMAL_SIM_STATUS_NOT_EQUIP, "no SIM"},
};

// The module's device-state bits (docs/host-guide.md).
constexpr BitName kDeviceStateBits[] = {
    {0x1, "not connectable (attach retrying)"},
    {0x2, "unknown technology"},
    {0x4, "phone number unavailable"},
    {0x8, "not activated"},
    {0x10, "radio off"},
    {0x20, "session start blocked"},
};

// "0x6 (PIN lock on, PIN required)"; bits without a name stay in the hex.
template <std::size_t N>
std::string Bits(uint32_t value, const BitName (&names)[N]) {
  std::string words;
  for (const BitName& name : names) {
    if ((value & name.bit) != 0) {
      words += words.empty() ? name.text : std::string(", ") + name.text;
    }
  }
  return Hex(value) + " (" + (words.empty() ? "none" : words) + ")";
}

std::string Technology(uint32_t technology) {
  switch (technology) {
    case 1:
      return "CDMA (1)";
    case 2:
      return "UMTS (2)";
    default:
      return "unknown (" + std::to_string(technology) + ")";
  }
}

CommandResult Card(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  // 18 KB: kept off the command thread's stack.
  const auto info = std::make_unique<CellularCardInfo>();
  if (!session.sdk->GetCellularCardInfo(info.get())) {
    return Failed("no card information: is a modem attached?");
  }
  const std::vector<Field> fields = {
      {"adapter", Text(info->adapterText)},
      {"port", Text(info->portText)},
      {"modem port", Text(info->modemPort)},
      {"library", Text(info->libraryGeneration)},
      {"technology", Technology(info->technology)},
      {"model", Text(info->modelDescription)},
      {"manufacturer", Text(info->manufacturer)},
      {"firmware", Text(info->firmwareRevision)},
      {"firmware tag", Text(info->firmwareRevisionTag)},
      {"serial number", Text(info->serialNumber)},
      {"carrier", Text(info->carrierName)},
      {"phone number", Text(info->voiceNumber)},
      {"IMSI", Text(info->imsi)},
      {"ICCID", Text(info->iccid)},
      {"home network", Text(info->homeNetworkName)},
      {"home code", Text(info->homeNetworkCode)},
      {"home MCC", Text(info->homeMcc)},
      {"home MNC", Text(info->homeMnc)},
      {"serving network", Text(info->servingNetworkName)},
      {"serving code", Text(info->servingNetworkCode)},
      {"location area", Text(info->locationAreaCode)},
      {"signal percent", Text(info->signalPercent)},
      {"signal dBm", Text(info->signalDbm)},
      {"connection", Text(info->connectionName)},
      {"user name", Text(info->userName)},
      {"bytes sent", Text(info->bytesTransmitted)},
      {"bytes received", Text(info->bytesReceived)},
      {"SIM status", Bits(info->simStatusBits, kSimBits)},
      {"device state", Bits(info->deviceStateBits, kDeviceStateBits)},
      // The module reports support from an NMEA port in the device tree; the library may send fixes anyway.
      {"GPS", info->gpsSupported != 0 ? "supported" : "no NMEA port in the device tree (fixes may still arrive)"},
  };
  return Ok(FieldLines("card", fields, "  %-16s: "));
}

}  // namespace

void AddCardCommands(CommandTable& table) {
  table.Add({"card", "", "print the modem's card information (identity, network, signal, session)", Card, Needs::kAttachedModem});
}

}  // namespace vesk_host
