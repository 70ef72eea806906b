// help, quit.
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "host/commands/command_table.h"

namespace vesk_host {

void AddShellCommands(CommandTable& table) {
  table.Add({"help", "[COMMAND]", "list the commands, or describe one",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (args.size() > 1) {
                 return Usage();
               }
               if (args.size() == 1) {
                 const Command* command = session.commands.Find(args[0]);
                 if (command == nullptr) {
                   return Failed("no command '" + args[0] + "'");
                 }
                 return Ok({"usage: " + UsageOf(*command), "  " + command->help});
               }
               std::vector<std::string> lines;
               for (const Command& command : session.commands.commands()) {
                 const std::string usage = UsageOf(command);
                 char line[256];
                 std::snprintf(line, sizeof(line), "  %-28s %s", usage.c_str(), command.help.c_str());
                 lines.push_back(line);
               }
               lines.push_back("Notification lines: [SECONDS SINCE START] NAME and its values.");
               lines.push_back("Trace lines (standard error, or --trace FILE): [SECONDS] CATEGORY/LEVEL TEXT; levels");
               lines.push_back("  2 errors, 3 warnings, 4 information, 5 and 6 verbose (--level N keeps N and below).");
               return Ok(std::move(lines));
             }});
  table.Add({"quit", "", "close the plug-in if open, release it and end",
             [](HostSession&, const std::vector<std::string>& args) {
               return args.empty() ? Quit() : Usage();
             }});
}

}  // namespace vesk_host
