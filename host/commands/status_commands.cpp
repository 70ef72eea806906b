// status: one summary of what the module knows about the attached modem, readable at a glance. The
// card information gives identity, network and signal; the last notifications give what only they
// carry (service type, roaming, session state).
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/commands/command_table.h"
#include "host/kit/field_text.h"
#include "host/kit/notification_printer.h"
#include "platform/text.h"
#include "vesk/notifications.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

std::string OrDash(std::string text) {
  return text.empty() ? "-" : text;
}

// The most telling state first: a blocked SIM reads "blocked" even though a PIN lock is enabled too.
std::string SimText(uint32_t bits) {
  struct Bit {
    uint32_t bit;
    const char* text;
  };
  static constexpr Bit kBits[] = {
      {NORMAL_SIM_STATUS_NOT_EQUIP, "missing"},
      {NORMAL_SIM_STATUS_PERMANENTLY_BLOCKED, "permanently blocked"},
      {NORMAL_SIM_STATUS_PUK1_REQUIRED, "PUK required"},
      {NORMAL_SIM_STATUS_PIN1_REQUIRED, "PIN required"},
      {NORMAL_SIM_STATUS_READY, "ready"},
      {NORMAL_SIM_STATUS_NOT_INITIALIZED, "not initialised"},
      {NORMAL_SIM_STATUS_ILLEGAL, "illegal"},
  };
  for (const Bit& bit : kBits) {
    if ((bits & bit.bit) != 0) {
      return bit.text;
    }
  }
  return "unknown";
}

// "V2.0.3.12 [2009-05-12 10:00:00]": the revision and its tag, as the modem itself writes it.
std::string Firmware(const CellularCardInfo& info) {
  std::string revision = hostkit::FieldText(info.firmwareRevision);
  revision.erase(revision.find_last_not_of(' ') + 1);
  const std::string tag = hostkit::FieldText(info.firmwareRevisionTag);
  return tag.empty() ? OrDash(revision) : OrDash(revision) + " [" + tag + "]";
}

std::string Network(const std::string& name, const std::string& code) {
  if (name.empty()) {
    return OrDash(code);
  }
  return code.empty() ? name : name + " (" + code + ")";
}

// The last of these notifications received, if any.
std::optional<hostkit::RecordedNotification> Last(const HostSession& session, std::vector<int32_t> codes) {
  const auto notifications = session.sink.Notifications();
  for (auto it = notifications.rbegin(); it != notifications.rend(); ++it) {
    for (int32_t code : codes) {
      if (it->code == code) {
        return *it;
      }
    }
  }
  return std::nullopt;
}

std::string SessionText(const HostSession& session, const CellularCardInfo& info) {
  const auto last = Last(session, {WWAN_NOTIFICATION_CONNECTED, WWAN_NOTIFICATION_DISCONNECTED,
                                    WWAN_NOTIFICATION_ATTACHED_TO_DEVICE});
  if (!last || last->code != WWAN_NOTIFICATION_CONNECTED) {
    return "disconnected";
  }
  std::string text = "connected";
  if (!hostkit::FieldText(info.connectionName).empty()) {
    text += " to " + hostkit::FieldText(info.connectionName);
  }
  return text + ", " + OrDash(hostkit::FieldText(info.bytesTransmitted)) + " bytes sent, " +
         OrDash(hostkit::FieldText(info.bytesReceived)) + " received";
}

std::string SelectionText(ICellularSDK& sdk) {
  static const char* const kNames[] = {"not supported", "default", "2g", "3g", "3g-preferred"};
  int32_t selection = NORMAL_SERVICESELECTION_Not_Supported;
  if (!sdk.GetCellularServiceSelection(&selection)) {
    return "unavailable";
  }
  return selection >= 0 && selection <= 4 ? kNames[selection] : "unknown (" + std::to_string(selection) + ")";
}

std::string AutoconnectText(ICellularSDK& sdk) {
  static const char* const kNames[] = {"off", "on", "not supported", "unknown"};
  const int32_t mode = sdk.GetAutoConnectMode();
  return mode >= 0 && mode <= 3 ? kNames[mode] : "unknown (" + std::to_string(mode) + ")";
}

std::string ImagesText(ICellularSDK& sdk) {
  IVeskSDK* vesk = sdk.GetVeskSDK();
  std::vector<ImageRecord> images;
  if (vesk == nullptr || !vesk->GetImageList(&images)) {
    return "unavailable";
  }
  std::string running = "none running";
  for (const ImageRecord& image : images) {
    if (image.active) {
      running = hostkit::FieldText(image.path) + " running";
    }
  }
  return std::to_string(images.size()) + ", " + running;
}

CommandResult Status(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  if (!session.sdk->IsOpen()) {
    return Failed("the module is not open");
  }
  const auto info = std::make_unique<CellularCardInfo>();
  if (!session.sdk->GetCellularCardInfo(info.get())) {
    return Failed("no modem attached");
  }
  const auto service = Last(session, {WWAN_NOTIFICATION_SERVICE});
  const auto roaming = Last(session, {WWAN_NOTIFICATION_ROAMING});
  const std::string dbm = hostkit::FieldText(info->signalDbm);
  const std::string percent = hostkit::FieldText(info->signalPercent);
  const std::vector<Field> fields = {
      {"modem", OrDash(hostkit::FieldText(info->manufacturer)) + " " + OrDash(hostkit::FieldText(info->modelDescription))},
      {"serial number", OrDash(hostkit::FieldText(info->serialNumber))},
      {"firmware", Firmware(*info)},
      {"phone number", OrDash(hostkit::FieldText(info->voiceNumber))},
      {"SIM", SimText(info->simStatusBits)},
      {"home network", Network(hostkit::FieldText(info->homeNetworkName), hostkit::FieldText(info->homeNetworkCode))},
      {"serving network", Network(hostkit::FieldText(info->servingNetworkName), hostkit::FieldText(info->servingNetworkCode))},
      {"roaming", roaming ? RoamingText(roaming->param1) : "-"},
      // 0 dBm is no measurement: a real signal is well below it.
      {"signal", dbm.empty() || dbm == "0" ? "-" : dbm + " dBm, " + OrDash(percent) + "%"},
      {"service", service ? ServiceTypeText(service->param1) : "-"},
      {"session", SessionText(session, *info)},
      {"autoconnect", AutoconnectText(*session.sdk)},
      {"service selection", SelectionText(*session.sdk)},
      {"GPS", std::string(session.sdk->IsGPSTrackingActive() ? "tracking" : "not tracking") +
                  (info->gpsSupported == 0 ? " (no NMEA port in the device tree)" : "")},
      {"images", ImagesText(*session.sdk)},
  };
  return FieldResult("status", fields, "  %-17s : ");
}

}  // namespace

void AddStatusCommands(CommandTable& table) {
  table.Add({"status", "",
             "one summary of the modem: identity, SIM, network, signal, session and settings", Status});
}

}  // namespace vesk_host
