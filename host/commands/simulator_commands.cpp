// simulate: hands one event line to the modem simulator that the module loaded ("simulate sms = sim
// from +4915112345678 2026-12-06 10:00:00 Hello"; a quoted word stays quoted, as in 'from "Vesk Bank"').
// Without a simulator (a real vendor library installed instead) the command says so and does nothing.

#include <string>
#include <vector>

#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "platform/dynamic_library.h"

namespace vesk_host {

namespace {

using EventFn = int (*)(const char*);
using LastErrorFn = void (*)(char*, uint32_t);

CommandResult Simulate(HostSession&, const std::vector<std::string>& args) {
  if (args.empty()) {
    return Usage();
  }
  // A quoted sender name keeps its quotes and with them its blanks.
  const std::string line = JoinArguments(args);
  bool found = false;
  std::string failure;
  // Only files the module has loaded already: each acts on its own connected modem.
  for (const char* name : {"QCWWAN2k.dll", "QCWWAN.dll"}) {
    platform::DynamicLibrary library;
    if (!library.LoadIfAlreadyLoaded(name)) {
      continue;
    }
    const auto event = reinterpret_cast<EventFn>(library.Symbol("VeskSimEvent"));
    const auto lastError = reinterpret_cast<LastErrorFn>(library.Symbol("VeskSimLastError"));
    if (event != nullptr) {
      found = true;
      if (event(line.c_str()) != 0 && lastError != nullptr) {
        char reason[256] = "";
        lastError(reason, sizeof reason);
        failure = reason;
      }
    }
  }
  if (!found) {
    return Failed("no modem simulator is loaded");
  }
  return failure.empty() ? Ok({"simulate: ok"}) : Failed(failure);
}

}  // namespace

void AddSimulatorCommands(CommandTable& table) {
  table.Add({"simulate", "EVENT-LINE",
             "act out a simulator event line (docs/simulator.md), e.g. an SMS arriving", Simulate});
}

}  // namespace vesk_host
