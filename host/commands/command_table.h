// The host's commands, by name, and the one way to run a command line.
//
// Each group of commands lives in a file of its own and adds itself with one Add...Commands function;
// BuildCommandTable lists the groups. A new command group is one new file and one line there.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/commands/command_parser.h"
#include "host/commands/command_result.h"
#include "host/commands/host_session.h"
#include "host/commands/session_state.h"

namespace vesk_host {

struct Command {
  std::string name;
  std::string arguments;  // usage, e.g. "NOTIFICATION [MS]"
  std::string help;       // one line
  std::function<CommandResult(HostSession&, const std::vector<std::string>&)> run;
  Needs needs = Needs::kNothing;
};

class CommandTable {
 public:
  void Add(Command command);
  const Command* Find(std::string_view name) const;
  const std::vector<Command>& commands() const { return commands_; }

 private:
  std::vector<Command> commands_;
};

// open, close, sleep, resume.
void AddLifecycleCommands(CommandTable& table);
// attach, detach.
void AddAttachCommands(CommandTable& table);
// connect, disconnect.
void AddSessionCommands(CommandTable& table);
// wait, wait-for.
void AddWaitCommands(CommandTable& table);
// help, quit.
void AddShellCommands(CommandTable& table);
// card.
void AddCardCommands(CommandTable& table);
// unlock.
void AddSimCommands(CommandTable& table);
// inbox.
void AddInboxCommands(CommandTable& table);
// simulate.
void AddSimulatorCommands(CommandTable& table);
// images, switch.
void AddImageCommands(CommandTable& table);
// diag.
void AddDiagCommands(CommandTable& table);
// devices.
void AddDeviceCommands(CommandTable& table);
// service, autoconnect.
void AddSettingCommands(CommandTable& table);
// gps start|stop|status.
void AddGpsCommands(CommandTable& table);
// status.
void AddStatusCommands(CommandTable& table);

CommandTable BuildCommandTable();

// "NAME ARGUMENTS", as help and usage errors show it.
std::string UsageOf(const Command& command);

// Runs one parsed line: an unknown command fails with a hint, a usage result gets the command's usage
// as its reason.
CommandResult RunCommand(HostSession& session, const CommandLine& line);

}  // namespace vesk_host
