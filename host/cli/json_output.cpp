#include "host/cli/json_output.h"

#include <cmath>
#include <cstdint>

#include "host/kit/notification_printer.h"
#include "host/kit/utc_time.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

using Json = nlohmann::ordered_json;

// Times and positions are measured to a fixed precision; more digits would only be noise.
double Rounded(double value, double scale) {
  return std::round(value * scale) / scale;
}

std::string Utf8(const std::u16string& text) {
  return platform::Narrow(text);
}

Json GpsParams(const hostkit::RecordedNotification& n) {
  Json params = Json::object();
  if (!n.gps) {
    params["fix"] = false;
    return params;
  }
  const GpsInfo& gps = *n.gps;
  params["fix"] = gps.hasFix != 0;
  params["source"] = Utf8(gps.sourceText);
  if (gps.hasFix != 0) {
    params["latitude"] = Rounded(gps.latitude, 1e7);
    params["longitude"] = Rounded(gps.longitude, 1e7);
    const auto optional = [&params](const char* key, uint8_t valid, double value) {
      params[key] = valid != 0 ? Json(Rounded(value, 1e3)) : Json(nullptr);
    };
    optional("altitude", gps.altitudeValid, gps.altitude);
    optional("speed", gps.speedValid, gps.speed);
    optional("heading", gps.headingValid, gps.heading);
    optional("satellites", gps.satellitesValid, gps.satellites);
  }
  return params;
}

Json Params(const hostkit::RecordedNotification& n) {
  Json params = Json::object();
  const auto p1 = static_cast<int32_t>(n.param1);
  switch (n.code) {
    case WWAN_NOTIFICATION_RSSI:
      params["dBm"] = p1;
      params["percent"] = static_cast<int32_t>(n.param2);
      break;
    case WWAN_NOTIFICATION_SIM_STATUS:
      params["value"] = p1;
      params["sim"] = SimStatusText(n.param1);
      break;
    case WWAN_NOTIFICATION_SERVICE:
      params["value"] = p1;
      params["service"] = ServiceTypeText(n.param1);
      break;
    case WWAN_NOTIFICATION_ROAMING:
      params["value"] = p1;
      params["roaming"] = RoamingText(n.param1);
      break;
    case WWAN_NOTIFICATION_CONNECTED:
      params["capability"] = static_cast<int32_t>(n.param2);
      break;
    case WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE:
      params["state"] = static_cast<uint32_t>(n.param1);
      break;
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      if (n.hasPayload) {
        params["transmitted"] = n.totals.transmitted;
        params["received"] = n.totals.received;
      }
      break;
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      if (n.hasPayload) {
        params["number"] = Utf8(n.text);
      }
      break;
    case WWAN_NOTIFICATION_SMS_EVENT:
      if (n.hasPayload) {
        params["sender"] = Utf8(n.text);
        params["timestamp"] = n.timestamp;
        params["body"] = Utf8(n.body);
      }
      break;
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      return GpsParams(n);
    default:
      // Codes without a payload: the raw values, which are plain numbers.
      params["param1"] = static_cast<uint64_t>(n.param1);
      params["param2"] = static_cast<uint64_t>(n.param2);
  }
  return params;
}

// The argument positions from which a command's arguments are secret.
std::size_t SecretsFrom(const std::string& command) {
  if (command == "unlock") {
    return 0;
  }
  if (command == "connect") {
    return 2;  // APN USER PASSWORD
  }
  if (command == "autoconnect") {
    return 3;  // on APN USER PASSWORD
  }
  return SIZE_MAX;
}

}  // namespace

std::string JsonText(const nlohmann::ordered_json& value) {
  // Text from the modem is not always valid UTF-8: a bad byte becomes U+FFFD rather than an exception.
  return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string JsonString(std::string_view text) {
  return JsonText(Json(std::string(text)));
}

nlohmann::ordered_json NotificationObject(const hostkit::RecordedNotification& notification, double elapsedSeconds) {
  const char* name = NotificationName(notification.code);
  Json object;
  object["kind"] = "notification";
  object["time"] = Rounded(elapsedSeconds, 1e3);
  object["utc"] = UtcText(notification.utc);
  object["code"] = notification.code;
  object["name"] = *name != '\0' ? Json(name) : Json(nullptr);
  object["params"] = Params(notification);
  return object;
}

std::string NotificationJson(const hostkit::RecordedNotification& notification, double elapsedSeconds) {
  return JsonText(NotificationObject(notification, elapsedSeconds));
}

nlohmann::ordered_json ResultObject(const std::string& command, const std::vector<std::string>& args,
                                    const CommandResult& result, double elapsedSeconds) {
  std::vector<std::string> shown = args;
  for (std::size_t i = SecretsFrom(command); i < shown.size(); ++i) {
    shown[i] = "***";
  }
  Json object;
  object["kind"] = "result";
  object["time"] = Rounded(elapsedSeconds, 1e3);
  object["command"] = command;
  object["args"] = shown;
  object["ok"] = result.ok();
  object["status"] = StatusWord(result.status);
  object["reason"] = result.reason;
  object["output"] = result.lines;
  return object;
}

std::string ResultJson(const std::string& command, const std::vector<std::string>& args,
                       const CommandResult& result, double elapsedSeconds) {
  return JsonText(ResultObject(command, args, result, elapsedSeconds));
}

}  // namespace vesk_host
