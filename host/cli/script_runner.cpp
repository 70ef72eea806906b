#include "host/cli/script_runner.h"

#include <string>
#include <utility>
#include <vector>

#include "host/cli/json_output.h"
#include "host/cli/line_editor.h"
#include "host/cli/stop_request.h"
#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

void Show(const CommandLine& line, const CommandResult& result, const std::string& where, const RunMode& mode,
          const HostSession& session, Console& console) {
  if (mode.json) {
    console.Line(ResultJson(line.name, line.args, result, console.Elapsed()));
  } else {
    for (const std::string& text : result.lines) {
      console.Line(text);
    }
  }
  if (result.status == CommandResult::Status::kFailed && session.commands.Find(line.name) != nullptr) {
    console.Error(where + line.name + ": " + result.reason);
  } else if (!result.ok()) {
    console.Error(where + result.reason);
  }
}

}  // namespace

bool RunCommands(std::istream& input, const RunMode& mode, HostSession& session, Console& console) {
  std::vector<std::string> names;
  for (const Command& command : session.commands.commands()) {
    names.push_back(command.name);
  }
  SetCompletionWords(std::move(names));
  std::string text;
  int lineNumber = 0;
  while (!StopRequested().load()) {
    const bool read = mode.interactive && !mode.json ? ReadPromptLine(console, "vesk> ", input, &text)
                                                     : static_cast<bool>(std::getline(input, text));
    if (!read || StopRequested().load()) {
      return true;
    }
    ++lineNumber;
    const std::string where = mode.interactive ? "" : "line " + std::to_string(lineNumber) + ": ";
    // As in make, a line starting with '-' may fail without ending the script.
    const std::size_t first = text.find_first_not_of(" \t");
    const bool mayFail = first != std::string::npos && text[first] == '-';
    if (mayFail) {
      text.erase(0, first + 1);
    }
    std::string error;
    const auto parsed = ParseCommandLine(text, &error);
    if (!parsed && error.empty()) {
      continue;  // a blank line or a comment
    }
    const CommandLine line = parsed.value_or(CommandLine{});
    const CommandResult result = parsed ? RunCommand(session, line) : Failed(error);
    Show(line, result, where, mode, session, console);
    if (result.status == CommandResult::Status::kQuit || StopRequested().load()) {
      return true;
    }
    if (!result.ok() && !mode.interactive && !mayFail) {
      return false;
    }
  }
  return true;
}

}  // namespace vesk_host
