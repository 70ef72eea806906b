// gps: GPS tracking. Positions arrive as WWAN_NOTIFICATION_GPS_INFO_CHANGED lines (and, with --gpx,
// as track points in the file).
#include <string>
#include <vector>

#include "host/command_table.h"

namespace vesk_host {

namespace {

CommandResult Gps(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return CommandResult::kBadArguments;
  }
  if (args[0] == "start") {
    session.console.Line(session.sdk->StartGPSTracking() ? "gps start: ok" : "gps start: failed");
  } else if (args[0] == "stop") {
    session.console.Line(session.sdk->StopGPSTracking() ? "gps stop: ok" : "gps stop: failed");
  } else if (args[0] == "status") {
    session.console.Line(session.sdk->IsGPSTrackingActive() ? "gps: tracking" : "gps: not tracking");
  } else {
    return CommandResult::kBadArguments;
  }
  return CommandResult::kDone;
}

}  // namespace

void AddGpsCommands(CommandTable& table) {
  table.Add({"gps", "start|stop|status",
             "start or stop GPS tracking (position changes follow, at most one per 5 s), or show whether it runs",
             Gps});
}

}  // namespace vesk_host
