#include "host/script_runner.h"

#include <string>

#include "host/command_parser.h"
#include "host/json_output.h"
#include "host/line_editor.h"

namespace vesk_host {

bool RunCommands(std::istream& input, bool interactive, HostSession& session) {
  std::string text;
  int lineNumber = 0;
  while (true) {
    const bool read = interactive && !session.json ? ReadPromptLine(session.console, "vesk> ", input, &text)
                                                   : static_cast<bool>(std::getline(input, text));
    if (!read) {
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
    if (session.json) {
      session.console.BeginCapture();
    }
    const CommandResult result = command->run(session, line->args);
    if (session.json) {
      static const char* const kStatus[] = {"done", "bad-arguments", "script-failure", "quit"};
      const std::vector<std::string> output = session.console.EndCapture();
      session.console.Line(ResultJson(command->name, line->args, kStatus[static_cast<int>(result)], output,
                                      session.console.Elapsed()));
    }
    switch (result) {
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
