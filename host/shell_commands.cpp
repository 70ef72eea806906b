// help, quit.
#include <cstdio>
#include <string>

#include "host/command_table.h"

namespace vesk_host {

void AddShellCommands(CommandTable& table) {
  table.Add({"help", "[COMMAND]", "list the commands, or describe one",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (args.size() > 1) {
                 return CommandResult::kBadArguments;
               }
               if (args.size() == 1) {
                 const Command* command = session.commands.Find(args[0]);
                 if (command == nullptr) {
                   session.console.Line("help: no command '" + args[0] + "'");
                   return CommandResult::kDone;
                 }
                 session.console.Line("usage: " + command->name +
                                      (command->arguments.empty() ? "" : " " + command->arguments));
                 session.console.Line("  " + command->help);
                 return CommandResult::kDone;
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
