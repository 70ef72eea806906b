// connect, disconnect: the data session.
#include <string>
#include <vector>

#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

CommandResult Connect(HostSession& session, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 3) {
    return Usage();
  }
  // Omitted credentials are empty; the password is passed on and never printed.
  const std::string& apn = args[0];
  const std::string userName = args.size() > 1 ? args[1] : "";
  const std::string password = args.size() > 2 ? args[2] : "";
  return Reported("connect", session.sdk->Connect(apn.c_str(), userName.c_str(), password.c_str()));
}

CommandResult Disconnect(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  return Reported("disconnect", session.sdk->Disconnect());
}

}  // namespace

void AddSessionCommands(CommandTable& table) {
  table.Add({"connect", "APN [USER [PASSWORD]]",
             "start a data session (connected or disconnected follows; the password is never shown)",
             Connect, Needs::kAttachedModem});
  table.Add({"disconnect", "", "stop the data session", Disconnect, Needs::kAttachedModem});
}

}  // namespace vesk_host
