#include "host/script_runner.h"

#include <string>

#include "host/command_parser.h"

namespace vesk_host {

bool RunCommands(std::istream& input, bool interactive, HostSession& session) {
  std::string text;
  int lineNumber = 0;
  while (true) {
    if (interactive) {
      session.console.Prompt("vesk> ");
    }
    if (!std::getline(input, text)) {
      return true;
    }
    ++lineNumber;
    const std::string where = interactive ? "" : "line " + std::to_string(lineNumber) + ": ";
    std::string error;
    const auto line = ParseCommandLine(text, &error);
    if (!line) {
      if (!error.empty()) {
        session.console.Error(where + error);
      }
      continue;
    }
    const Command* command = session.commands.Find(line->name);
    if (command == nullptr) {
      session.console.Error(where + "unknown command '" + line->name + "' (help lists the commands)");
      continue;
    }
    switch (command->run(session, line->args)) {
      case CommandResult::kDone:
        break;
      case CommandResult::kBadArguments:
        session.console.Error(where + "usage: " + command->name +
                              (command->arguments.empty() ? "" : " " + command->arguments));
        break;
      case CommandResult::kScriptFailure:
        if (!interactive) {
          return false;
        }
        break;
      case CommandResult::kQuit:
        return true;
    }
  }
}

}  // namespace vesk_host
