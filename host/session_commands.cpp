// connect, disconnect: the data session.
#include <string>
#include <vector>

#include "host/command_table.h"

namespace vesk_host {

namespace {

CommandResult Report(HostSession& session, const char* name, bool result) {
  session.console.Line(std::string(name) + (result ? ": ok" : ": failed"));
  return CommandResult::kDone;
}

CommandResult Connect(HostSession& session, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 3) {
    return CommandResult::kBadArguments;
  }
  // Omitted credentials are empty; the password is passed on and never printed.
  const std::string& apn = args[0];
  const std::string userName = args.size() > 1 ? args[1] : "";
  const std::string password = args.size() > 2 ? args[2] : "";
  return Report(session, "connect", session.sdk->Connect(apn.c_str(), userName.c_str(), password.c_str()));
}

CommandResult Disconnect(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return CommandResult::kBadArguments;
  }
  return Report(session, "disconnect", session.sdk->Disconnect());
}

}  // namespace

void AddSessionCommands(CommandTable& table) {
  table.Add({"connect", "APN [USER [PASSWORD]]",
             "start a data session (connected or disconnected follows; the password is never shown)",
             Connect});
  table.Add({"disconnect", "", "stop the data session", Disconnect});
}

}  // namespace vesk_host
