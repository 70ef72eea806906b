#include "host/command_table.h"

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

}  // namespace vesk_host
