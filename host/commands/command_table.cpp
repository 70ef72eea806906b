#include "host/commands/command_table.h"

#include <utility>

namespace vesk_host {

void CommandTable::Add(Command command) {
  commands_.push_back(std::move(command));
}

const Command* CommandTable::Find(std::string_view name) const {
  for (const Command& command : commands_) {
    if (command.name == name) {
      return &command;
    }
  }
  return nullptr;
}

CommandTable BuildCommandTable() {
  CommandTable table;
  AddLifecycleCommands(table);
  AddAttachCommands(table);
  AddSessionCommands(table);
  AddCardCommands(table);
  AddSimCommands(table);
  AddInboxCommands(table);
  AddSimulatorCommands(table);
  AddImageCommands(table);
  AddDiagCommands(table);
  AddDeviceCommands(table);
  AddSettingCommands(table);
  AddGpsCommands(table);
  AddStatusCommands(table);
  AddWaitCommands(table);
  AddShellCommands(table);
  return table;
}

std::string UsageOf(const Command& command) {
  return command.arguments.empty() ? command.name : command.name + " " + command.arguments;
}

CommandResult RunCommand(HostSession& session, const CommandLine& line) {
  const Command* command = session.commands.Find(line.name);
  if (command == nullptr) {
    return Failed("unknown command '" + line.name + "' (help lists the commands)");
  }
  // What a command sets off is waited for after it: older notifications no longer satisfy a wait-for.
  const std::size_t floorBefore = session.waitFloor;
  if (command->name != "wait" && command->name != "wait-for") {
    session.waitFloor = session.sink.Count();
  }
  if (const std::string missing = MissingFor(session, command->needs); !missing.empty()) {
    return Failed(missing);
  }
  CommandResult result = command->run(session, line.args);
  if (result.keepsWaitFloor) {
    session.waitFloor = floorBefore;
  }
  if (result.status == CommandResult::Status::kUsage) {
    result.reason = "usage: " + UsageOf(*command);
  }
  return result;
}

}  // namespace vesk_host
