#include "host/cli/json_output.h"

#include <cstdint>
#include <cstdio>

#include "host/kit/notification_printer.h"
#include "host/kit/utc_time.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

std::string Number(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Integer(int64_t value) {
  return std::to_string(value);
}

// Builds the members of one object.
class Object {
 public:
  // Appended piece by piece: a literal + a temporary string draws a false -Wrestrict from GCC 12 at -O3.
  Object& Raw(std::string_view key, const std::string& value) {
    if (!text_.empty()) {
      text_ += ',';
    }
    text_ += JsonString(key);
    text_ += ':';
    text_ += value;
    return *this;
  }
  Object& Str(std::string_view key, std::string_view value) { return Raw(key, JsonString(value)); }
  Object& Str(std::string_view key, const std::u16string& value) { return Str(key, platform::Narrow(value)); }
  Object& Int(std::string_view key, int64_t value) { return Raw(key, Integer(value)); }
  std::string Done() const { return "{" + text_ + "}"; }

 private:
  std::string text_;
};

std::string Array(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) {
      text += ',';
    }
    text += JsonString(item);
  }
  return "[" + text + "]";
}

std::string GpsParams(const hostkit::RecordedNotification& n) {
  Object params;
  if (!n.gps) {
    return params.Raw("fix", "false").Done();
  }
  const GpsInfo& gps = *n.gps;
  params.Raw("fix", gps.hasFix != 0 ? "true" : "false").Str("source", gps.sourceText);
  if (gps.hasFix != 0) {
    params.Raw("latitude", Number("%.7f", gps.latitude)).Raw("longitude", Number("%.7f", gps.longitude));
    const auto optional = [&params](const char* key, uint8_t valid, double value) {
      params.Raw(key, valid != 0 ? Number("%.3f", value) : "null");
    };
    optional("altitude", gps.altitudeValid, gps.altitude);
    optional("speed", gps.speedValid, gps.speed);
    optional("heading", gps.headingValid, gps.heading);
    optional("satellites", gps.satellitesValid, gps.satellites);
  }
  return params.Done();
}

std::string Params(const hostkit::RecordedNotification& n) {
  Object params;
  const auto p1 = static_cast<int32_t>(n.param1);
  switch (n.code) {
    case WWAN_NOTIFICATION_RSSI:
      return params.Int("dBm", p1).Int("percent", static_cast<int32_t>(n.param2)).Done();
    case WWAN_NOTIFICATION_SIM_STATUS:
      return params.Int("value", p1).Str("sim", SimStatusText(n.param1)).Done();
    case WWAN_NOTIFICATION_SERVICE:
      return params.Int("value", p1).Str("service", ServiceTypeText(n.param1)).Done();
    case WWAN_NOTIFICATION_ROAMING:
      return params.Int("value", p1).Str("roaming", RoamingText(n.param1)).Done();
    case WWAN_NOTIFICATION_CONNECTED:
      return params.Int("capability", static_cast<int32_t>(n.param2)).Done();
    case WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE:
      return params.Int("state", static_cast<uint32_t>(n.param1)).Done();
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      if (n.hasPayload) {
        params.Raw("transmitted", std::to_string(n.totals.transmitted))
            .Raw("received", std::to_string(n.totals.received));
      }
      return params.Done();
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      return n.hasPayload ? params.Str("number", n.text).Done() : params.Done();
    case WWAN_NOTIFICATION_SMS_EVENT:
      if (n.hasPayload) {
        params.Str("sender", n.text).Raw("timestamp", std::to_string(n.timestamp)).Str("body", n.body);
      }
      return params.Done();
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      return GpsParams(n);
    default:
      // Codes without a payload: the raw values, which are plain numbers.
      return params.Raw("param1", std::to_string(n.param1)).Raw("param2", std::to_string(n.param2)).Done();
  }
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

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  quoted += '"';
  return quoted;
}

std::string NotificationJson(const hostkit::RecordedNotification& notification, double elapsedSeconds) {
  const char* name = NotificationName(notification.code);
  return Object()
      .Str("kind", "notification")
      .Raw("time", Number("%.3f", elapsedSeconds))
      .Str("utc", UtcText(notification.utc))
      .Int("code", notification.code)
      .Raw("name", *name != '\0' ? JsonString(name) : "null")
      .Raw("params", Params(notification))
      .Done();
}

std::string ResultJson(const std::string& command, const std::vector<std::string>& args,
                       const CommandResult& result, double elapsedSeconds) {
  std::vector<std::string> shown = args;
  for (std::size_t i = SecretsFrom(command); i < shown.size(); ++i) {
    shown[i] = "***";
  }
  return Object()
      .Str("kind", "result")
      .Raw("time", Number("%.3f", elapsedSeconds))
      .Str("command", command)
      .Raw("args", Array(shown))
      .Raw("ok", result.ok() ? "true" : "false")
      .Str("status", StatusWord(result.status))
      .Str("reason", result.reason)
      .Raw("output", Array(result.lines))
      .Done();
}

}  // namespace vesk_host
