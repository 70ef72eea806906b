// card: the card information the plug-in gives the host, one labelled line per field.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "host/commands/command_table.h"
#include "platform/text.h"
#include "host/kit/field_text.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

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
      {"adapter", hostkit::FieldText(info->adapterText)},
      {"port", hostkit::FieldText(info->portText)},
      {"modem port", hostkit::FieldText(info->modemPort)},
      {"library", hostkit::FieldText(info->libraryGeneration)},
      {"technology", Technology(info->technology)},
      {"model", hostkit::FieldText(info->modelDescription)},
      {"manufacturer", hostkit::FieldText(info->manufacturer)},
      {"firmware", hostkit::FieldText(info->firmwareRevision)},
      {"firmware tag", hostkit::FieldText(info->firmwareRevisionTag)},
      {"serial number", hostkit::FieldText(info->serialNumber)},
      {"carrier", hostkit::FieldText(info->carrierName)},
      {"phone number", hostkit::FieldText(info->voiceNumber)},
      {"IMSI", hostkit::FieldText(info->imsi)},
      {"ICCID", hostkit::FieldText(info->iccid)},
      {"home network", hostkit::FieldText(info->homeNetworkName)},
      {"home code", hostkit::FieldText(info->homeNetworkCode)},
      {"home MCC", hostkit::FieldText(info->homeMcc)},
      {"home MNC", hostkit::FieldText(info->homeMnc)},
      {"serving network", hostkit::FieldText(info->servingNetworkName)},
      {"serving code", hostkit::FieldText(info->servingNetworkCode)},
      {"location area", hostkit::FieldText(info->locationAreaCode)},
      {"signal percent", hostkit::FieldText(info->signalPercent)},
      {"signal dBm", hostkit::FieldText(info->signalDbm)},
      {"connection", hostkit::FieldText(info->connectionName)},
      {"user name", hostkit::FieldText(info->userName)},
      {"bytes sent", hostkit::FieldText(info->bytesTransmitted)},
      {"bytes received", hostkit::FieldText(info->bytesReceived)},
      {"SIM status", Bits(info->simStatusBits, kSimBits)},
      {"device state", Bits(info->deviceStateBits, kDeviceStateBits)},
      // The module reports support from an NMEA port in the device tree; the library may send fixes anyway.
      {"GPS", info->gpsSupported != 0 ? "supported" : "no NMEA port in the device tree (fixes may still arrive)"},
  };
  return FieldResult("card", fields, "  %-16s: ");
}

}  // namespace

void AddCardCommands(CommandTable& table) {
  table.Add({"card", "", "print the modem's card information (identity, network, signal, session)", Card, Needs::kAttachedModem});
}

}  // namespace vesk_host
