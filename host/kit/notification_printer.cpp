#include "host/kit/notification_printer.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include "host/kit/sms_text.h"
#include "host/kit/utc_time.h"
#include "platform/text.h"
#include "vesk/notifications.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

std::string Printf(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string Printf(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return buffer;
}

std::string Quoted(const std::u16string& text) {
  // Appended: a literal + a temporary string draws a false -Wrestrict from GCC 12 at -O3.
  std::string quoted = "\"";
  quoted += platform::Narrow(text);
  quoted += '"';
  return quoted;
}

const char* HostSimStatusName(uintptr_t status) {
  switch (status) {
    case HOST_SIM_STATUS_READY:
      return "ready";
    case HOST_SIM_STATUS_LOCKED:
      return "locked";
    case HOST_SIM_STATUS_MISSING:
      return "missing";
    default:
      return "unknown";
  }
}

const char* ServiceTypeName(uintptr_t type) {
  static const char* const kNames[] = {"Unknown", "None",       "PacketSwitched", "CircuitSwitched",
                                       "GSM",     "CDMA",       "1xRTT",          "1xEVDORev0",
                                       "1xEVDV",  "1xEVDORevA", "GPRS",           "UMTS",
                                       "EDGE",    "HSDPA",      "HSUPA",          "HSPA"};
  if (type < sizeof(kNames) / sizeof(kNames[0])) {
    return kNames[type];
  }
  return type == NORMAL_SERVICETYPE_LTE ? "LTE" : "?";
}

const char* RoamingName(uintptr_t roaming) {
  switch (roaming) {
    case 1:
      return "roaming";
    case 2:
      return "home";
    default:
      return "unknown";
  }
}

// "fix lat=.. lon=.. altitude=.. speed=.. satellites=.. utc=..": every field on every line, "-" for
// what the fix does not carry, so that the lines read as a table.
std::string GpsText(const hostkit::RecordedNotification& notification) {
  if (!notification.gps) {
    return "no data";
  }
  const GpsInfo& gps = *notification.gps;
  const std::string utc = " utc=" + UtcText(notification.utc);
  const std::string source = " source " + Quoted(gps.sourceText);
  if (gps.hasFix == 0) {
    return "no fix" + utc + source;
  }
  const auto value = [](uint8_t valid, const char* format, double number) {
    return valid != 0 ? Printf(format, number) : std::string("-");
  };
  return Printf("fix lat=%.6f lon=%.6f", gps.latitude, gps.longitude) +
         " altitude=" + value(gps.altitudeValid, "%.1fm", gps.altitude) +
         " speed=" + value(gps.speedValid, "%.1fm/s", gps.speed) +
         " satellites=" + value(gps.satellitesValid, "%.0f", gps.satellites) +
         " heading=" + value(gps.headingValid, "%.1f", gps.heading) + utc + source;
}

std::string Parameters(const hostkit::RecordedNotification& n) {
  switch (n.code) {
    case WWAN_NOTIFICATION_RSSI:
      return Printf("dBm=%d percent=%d", static_cast<int32_t>(n.param1), static_cast<int32_t>(n.param2));
    case WWAN_NOTIFICATION_SIM_STATUS:
      return Printf("sim=%s (%d)", HostSimStatusName(n.param1), static_cast<int32_t>(n.param1));
    case WWAN_NOTIFICATION_SERVICE:
      return Printf("service=%s (%d)", ServiceTypeName(n.param1), static_cast<int32_t>(n.param1));
    case WWAN_NOTIFICATION_ROAMING:
      return Printf("%s (%d)", RoamingName(n.param1), static_cast<int32_t>(n.param1));
    case WWAN_NOTIFICATION_CONNECTED:
      return Printf("capability=%d", static_cast<int32_t>(n.param2));
    case WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE:
      return Printf("state=0x%X", static_cast<uint32_t>(n.param1));
    case WWAN_NOTIFICATION_BYTES_TX_RX:
      return n.hasPayload ? Printf("tx=%" PRIu64 " rx=%" PRIu64, n.totals.transmitted, n.totals.received)
                          : "no data";
    case WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED:
      return n.hasPayload ? "number=" + Quoted(n.text) : "no data";
    case WWAN_NOTIFICATION_SMS_EVENT:
      return n.hasPayload ? SmsSummary(n.text, n.timestamp, n.body) : "no data";
    case WWAN_NOTIFICATION_GPS_INFO_CHANGED:
      return GpsText(n);
    default:
      if (n.param1 == 0 && n.param2 == 0) {
        return "";
      }
      return Printf("param1=0x%" PRIxPTR " param2=0x%" PRIxPTR, n.param1, n.param2);
  }
}

}  // namespace

std::string FormatNotification(const hostkit::RecordedNotification& notification, double elapsedSeconds) {
  const char* name = NotificationName(notification.code);
  std::string line = Printf("[%9.3f] ", elapsedSeconds);
  line += *name != '\0' ? std::string(name) : Printf("notification %d", notification.code);
  const std::string parameters = Parameters(notification);
  if (!parameters.empty()) {
    line += " " + parameters;
  }
  return line;
}

const char* ServiceTypeText(uintptr_t type) {
  return ServiceTypeName(type);
}

const char* RoamingText(uintptr_t roaming) {
  return RoamingName(roaming);
}

const char* SimStatusText(uintptr_t status) {
  return HostSimStatusName(status);
}

}  // namespace vesk_host
