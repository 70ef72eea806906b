// What a command did, for any front end to show: whether it succeeded, why not, and the values it
// printed. The command line prints the lines and the reason; --json serialises the same result.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vesk_host {

struct CommandResult {
  enum class Status {
    kOk,      // the command did what was asked
    kFailed,  // it did not (the module refused, a wait timed out, a state was missing): see reason
    kUsage,   // its arguments were wrong: reason is the usage
    kQuit,    // the session ends normally
  };

  Status status = Status::kOk;
  std::string reason;
  std::vector<std::string> lines;
  // The labelled values behind the lines, for front ends that lay them out themselves (the dashboard).
  std::vector<std::pair<std::string, std::string>> values{};
  // The command set nothing off that a wait-for could wait on (a simulate line a replay leaves
  // unplayed): the wait floor stays where the command before it left it.
  bool keepsWaitFloor = false;

  bool ok() const { return status == Status::kOk || status == Status::kQuit; }
};

CommandResult Ok(std::vector<std::string> lines = {});
CommandResult Failed(std::string reason, std::vector<std::string> lines = {});
// The front end fills in the command's usage.
CommandResult Usage();
CommandResult Quit();
// "NAME: ok" when the module accepted the call, else failed with the reason that it refused.
CommandResult Reported(const char* name, bool accepted);

// A command's labelled values: "NAME: ok", then a line a field, its label laid out by labelFormat
// (a printf format of one %s, such as "  %-16s: ").
using Field = std::pair<const char*, std::string>;
std::vector<std::string> FieldLines(const char* name, const std::vector<Field>& fields, const char* labelFormat);
// Ok with those lines, and the fields as its values.
CommandResult FieldResult(const char* name, const std::vector<Field>& fields, const char* labelFormat);

// "ok", "failed", "usage", "quit".
const char* StatusWord(CommandResult::Status status);

}  // namespace vesk_host
