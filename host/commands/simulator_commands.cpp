// simulate: hands one event line to the modem simulator that the module loaded ("simulate sms = sim
// from +4915112345678 2026-12-06 10:00:00 Hello"; a quoted word stays quoted, as in 'from "Vesk Bank"').
// scenario: loads a scenario file into both simulator libraries, before or after the module loaded
// them. Without a simulator (a real vendor library installed instead) each says so and does nothing.
// replay: loads a scenario that replays a recording of a session (docs/recording.md).

#include <atomic>
#include <cstdlib>
#include <set>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "host/kit/stream_trace_log.h"
#include "platform/dynamic_library.h"

namespace vesk_host {

namespace {

// The simulator's files by name, then the real libraries a recording vendor library in their place
// forwards to (docs/recording.md), which is where the control interface is then.
std::vector<std::string> SimulatorLibraries() {
  std::vector<std::string> names = {"QCWWAN2k.dll", "QCWWAN.dll"};
  for (const char* variable : {"VESK_REAL_QCWWAN2K", "VESK_REAL_QCWWAN"}) {
    if (const char* path = std::getenv(variable); path != nullptr && *path != 0) {
      names.emplace_back(path);
    }
  }
  return names;
}

using EventFn = int (*)(const char*);
using LoadScenarioFn = int (*)(const char*);
using LastErrorFn = void (*)(char*, uint32_t);
using TraceSinkFn = void (*)(uint32_t, const char*);
using SetTraceSinkFn = void (*)(TraceSinkFn);

// The simulator's own trace lines (a replay's divergences) join the module's, category 0.
std::atomic<vesk_host::StreamTraceLog*> simulatorTraceLog{nullptr};

void SimulatorTrace(uint32_t level, const char* text) {
  if (StreamTraceLog* log = simulatorTraceLog.load()) {
    log->TraceA(0, static_cast<int32_t>(level), "%s", text);
  }
}

CommandResult Simulate(HostSession&, const std::vector<std::string>& args) {
  if (args.empty()) {
    return Usage();
  }
  // A quoted sender name keeps its quotes and with them its blanks.
  const std::string line = JoinArguments(args);
  bool found = false;
  bool leftToTheReplay = false;
  std::string failure;
  std::set<EventFn> told;
  // Only files the module has loaded already: each acts on its own connected modem.
  for (const std::string& name : SimulatorLibraries()) {
    platform::DynamicLibrary library;
    if (!library.LoadIfAlreadyLoaded(name)) {
      continue;
    }
    const auto event = reinterpret_cast<EventFn>(library.Symbol("VeskSimEvent"));
    const auto lastError = reinterpret_cast<LastErrorFn>(library.Symbol("VeskSimLastError"));
    if (event != nullptr && told.insert(event).second) {
      found = true;
      const int outcome = event(line.c_str());
      leftToTheReplay = leftToTheReplay || outcome == 2;
      if (outcome == 1 && lastError != nullptr) {
        char reason[256] = "";
        lastError(reason, sizeof reason);
        failure = reason;
      }
    }
  }
  if (!found) {
    return Failed("no modem simulator is loaded");
  }
  if (!failure.empty()) {
    return Failed(failure);
  }
  if (leftToTheReplay) {
    // The recorded event may have reached the host already, before this line: a wait-for after it
    // still counts it.
    CommandResult result = Ok({"simulate: not played: a recording is replayed, and its callbacks are the only ones"});
    result.keepsWaitFloor = true;
    return result;
  }
  return Ok({"simulate: ok"});
}

// Each library file keeps its own modems, so both get the scenario. A library the module has not loaded
// yet is loaded here and kept: the module's own load by name then finds this copy, scenario and all.
CommandResult LoadScenario(HostSession& session, const std::string& text, const std::string& label) {
  bool found = false;
  std::set<LoadScenarioFn> loaded;
  for (const std::string& name : SimulatorLibraries()) {
    platform::DynamicLibrary library;
    // Found as the module finds it: the loader's search first, its private folder last.
    if (!library.LoadIfAlreadyLoaded(name) && !library.Load(name) &&
        (session.privateFolder.empty() ||
         !library.Load(session.privateFolder + platform::DynamicLibrary::PlatformFileName(name)))) {
      continue;
    }
    const auto load = reinterpret_cast<LoadScenarioFn>(library.Symbol("VeskSimLoadScenario"));
    const auto lastError = reinterpret_cast<LastErrorFn>(library.Symbol("VeskSimLastError"));
    if (load == nullptr || !loaded.insert(load).second) {
      // A recording library in the simulator's place stays, so that the module's load by name finds
      // it rather than the real library of the same name loaded next.
      library.KeepLoaded();
      continue;
    }
    if (const auto setSink = reinterpret_cast<SetTraceSinkFn>(library.Symbol("VeskSimSetTraceSink"));
        setSink != nullptr && session.traceLog != nullptr) {
      simulatorTraceLog = session.traceLog;
      setSink(&SimulatorTrace);
    }
    library.KeepLoaded();
    found = true;
    if (load(text.c_str()) != 0) {
      char reason[256] = "";
      if (lastError != nullptr) {
        lastError(reason, sizeof reason);
      }
      return Failed(label + ": " + reason);
    }
  }
  if (!found) {
    return Failed("no modem simulator found");
  }
  return Ok({"scenario: " + label + " loaded"});
}

CommandResult Scenario(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  std::ifstream file(args[0]);
  std::stringstream text;
  if (!(file && text << file.rdbuf())) {
    return Failed("cannot read " + args[0]);
  }
  return LoadScenario(session, text.str(), args[0]);
}

CommandResult Replay(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].find('\n') != std::string::npos) {
    return Usage();
  }
  return LoadScenario(session, "[replay]\nfile = " + args[0] + "\n", args[0]);
}

}  // namespace

void AddSimulatorCommands(CommandTable& table) {
  table.Add({"simulate", "EVENT-LINE",
             "act out a simulator event line (docs/simulator.md), e.g. an SMS arriving", Simulate});
  table.Add({"scenario", "FILE",
             "load a simulator scenario (docs/simulator.md, examples/*.scn); best before attach, since it "
             "replaces the simulated modem's whole state",
             Scenario});
  table.Add({"replay", "FILE",
             "replay a recorded session in the simulator (docs/recording.md): the module's calls are "
             "answered as recorded; best before attach",
             Replay});
}

}  // namespace vesk_host
