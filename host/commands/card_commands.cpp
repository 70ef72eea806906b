// card: the card information the plug-in gives the host, one labelled line per field.
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "host/commands/command_table.h"
#include "platform/text.h"
#include "vesk/records.h"

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
      {"SIM status", Hex(info->simStatusBits)},
      {"device state", Hex(info->deviceStateBits)},
      {"GPS", info->gpsSupported != 0 ? "supported" : "not supported"},
  };
  return Ok(FieldLines("card", fields, "  %-16s: "));
}

}  // namespace

void AddCardCommands(CommandTable& table) {
  table.Add({"card", "", "print the modem's card information (identity, network, signal, session)", Card, Needs::kAttachedModem});
}

}  // namespace vesk_host
