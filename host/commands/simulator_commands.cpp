// simulate: hands one event line to the modem simulator that the module loaded ("simulate sms = sim
// from +4915112345678 2026-12-06 10:00:00 Hello"; a quoted word stays quoted, as in 'from "Vesk Bank"').
// scenario: loads a scenario file into both simulator libraries, before or after the module loaded
// them. Without a simulator (a real vendor library installed instead) each says so and does nothing.

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "platform/dynamic_library.h"

namespace vesk_host {

namespace {

constexpr const char* kSimulatorLibraries[] = {"QCWWAN2k.dll", "QCWWAN.dll"};

using EventFn = int (*)(const char*);
using LoadScenarioFn = int (*)(const char*);
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
  for (const char* name : kSimulatorLibraries) {
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

// Each library file keeps its own modems, so both get the scenario. A library the module has not loaded
// yet is loaded here and kept: the module's own load by name then finds this copy, scenario and all.
CommandResult Scenario(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  std::ifstream file(args[0]);
  std::stringstream text;
  if (!(file && text << file.rdbuf())) {
    return Failed("cannot read " + args[0]);
  }
  bool found = false;
  for (const char* name : kSimulatorLibraries) {
    platform::DynamicLibrary library;
    // Found as the module finds it: the loader's search first, its private folder last.
    if (!library.LoadIfAlreadyLoaded(name) && !library.Load(name) &&
        (session.privateFolder.empty() ||
         !library.Load(session.privateFolder + platform::DynamicLibrary::PlatformFileName(name)))) {
      continue;
    }
    const auto load = reinterpret_cast<LoadScenarioFn>(library.Symbol("VeskSimLoadScenario"));
    const auto lastError = reinterpret_cast<LastErrorFn>(library.Symbol("VeskSimLastError"));
    if (load == nullptr) {
      continue;
    }
    library.KeepLoaded();
    found = true;
    if (load(text.str().c_str()) != 0) {
      char reason[256] = "";
      if (lastError != nullptr) {
        lastError(reason, sizeof reason);
      }
      return Failed(args[0] + ": " + reason);
    }
  }
  if (!found) {
    return Failed("no modem simulator found");
  }
  return Ok({"scenario: " + args[0] + " loaded"});
}

}  // namespace

void AddSimulatorCommands(CommandTable& table) {
  table.Add({"simulate", "EVENT-LINE",
             "act out a simulator event line (docs/simulator.md), e.g. an SMS arriving", Simulate});
  table.Add({"scenario", "FILE",
             "load a simulator scenario (docs/simulator.md, examples/*.scn); best before attach, since it "
             "replaces the simulated modem's whole state",
             Scenario});
}

}  // namespace vesk_host
