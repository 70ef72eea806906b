#include "host/commands/command_result.h"

#include <cstdio>

namespace vesk_host {

CommandResult Ok(std::vector<std::string> lines) {
  return {CommandResult::Status::kOk, "", std::move(lines), {}};
}

CommandResult Failed(std::string reason, std::vector<std::string> lines) {
  return {CommandResult::Status::kFailed, std::move(reason), std::move(lines), {}};
}

CommandResult Usage() {
  return {CommandResult::Status::kUsage, "", {}, {}};
}

CommandResult Quit() {
  return {CommandResult::Status::kQuit, "", {}, {}};
}

CommandResult Reported(const char* name, bool accepted) {
  if (accepted) {
    return Ok({std::string(name) + ": ok"});
  }
  return Failed("the module refused it (the trace says why)");
}

std::vector<std::string> FieldLines(const char* name, const std::vector<Field>& fields, const char* labelFormat) {
  std::vector<std::string> lines{std::string(name) + ": ok"};
  for (const auto& [label, value] : fields) {
    char line[64];
    std::snprintf(line, sizeof line, labelFormat, label);
    lines.push_back(line + value);
  }
  return lines;
}

CommandResult FieldResult(const char* name, const std::vector<Field>& fields, const char* labelFormat) {
  CommandResult result = Ok(FieldLines(name, fields, labelFormat));
  for (const auto& [label, value] : fields) {
    result.values.emplace_back(label, value);
  }
  return result;
}

const char* StatusWord(CommandResult::Status status) {
  static const char* const kWords[] = {"ok", "failed", "usage", "quit"};
  return kWords[static_cast<int>(status)];
}

}  // namespace vesk_host
