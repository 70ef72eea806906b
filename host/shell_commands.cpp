// help, quit.
#include <cstdio>
#include <string>

#include "host/command_table.h"

namespace vesk_host {

void AddShellCommands(CommandTable& table) {
  table.Add({"help", "", "list the commands", [](HostSession& session, const std::vector<std::string>& args) {
               if (!args.empty()) {
                 return CommandResult::kBadArguments;
               }
               for (const Command& command : session.commands.commands()) {
                 const std::string usage =
                     command.name + (command.arguments.empty() ? "" : " " + command.arguments);
                 char line[256];
                 std::snprintf(line, sizeof(line), "  %-28s %s", usage.c_str(), command.help.c_str());
                 session.console.Line(line);
               }
               return CommandResult::kDone;
             }});
  table.Add({"quit", "", "close the plug-in if open, release it and end",
             [](HostSession&, const std::vector<std::string>& args) {
               return args.empty() ? CommandResult::kQuit : CommandResult::kBadArguments;
             }});
}

}  // namespace vesk_host
