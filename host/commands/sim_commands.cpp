// unlock: the SIM's PIN.
#include <string>
#include <vector>

#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

// The PIN goes to the module only: it is never printed, and script lines are not echoed.
CommandResult Unlock(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  const bool result = session.sdk->UnlockSim(args[0].c_str());
  return Reported("unlock", result);
}

}  // namespace

void AddSimCommands(CommandTable& table) {
  table.Add({"unlock", "PIN", "unlock the SIM with its PIN (the SIM status follows; the PIN is never shown)",
             Unlock});
}

}  // namespace vesk_host
