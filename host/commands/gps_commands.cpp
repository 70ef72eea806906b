// gps: GPS tracking. Positions arrive as WWAN_NOTIFICATION_GPS_INFO_CHANGED lines (and, with --gpx,
// as track points in the file).
#include <string>
#include <vector>

#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

CommandResult Gps(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  if (args[0] == "start") {
    return Reported("gps start", session.sdk->StartGPSTracking());
  }
  if (args[0] == "stop") {
    return Reported("gps stop", session.sdk->StopGPSTracking());
  }
  if (args[0] == "status") {
    return Ok({session.sdk->IsGPSTrackingActive() ? "gps: tracking" : "gps: not tracking"});
  }
  return Usage();
}

}  // namespace

void AddGpsCommands(CommandTable& table) {
  table.Add({"gps", "start|stop|status",
             "start or stop GPS tracking (position changes follow, at most one per 5 s), or show whether it runs",
             Gps, Needs::kAttachedModem});
}

}  // namespace vesk_host
