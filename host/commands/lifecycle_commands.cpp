// open, close, sleep, resume: the plug-in's lifecycle and the PC's power events.
#include <string>

#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

CommandResult RaisePowerEvent(HostSession& session, const char* name, bool sleep) {
  const size_t reached = sleep ? session.powerSource.RaiseSleep() : session.powerSource.RaiseResume();
  return Ok({std::string(name) + ": " + std::to_string(reached) + " observer(s) told"});
}

}  // namespace

void AddLifecycleCommands(CommandTable& table) {
  table.Add({"open", "", "open the plug-in (starts its notification thread)",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (!args.empty()) {
                 return Usage();
               }
               return Reported("open", session.sdk->Open());
             }});
  table.Add({"close", "", "close the plug-in (detaches; notifications arrive before it returns)",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (!args.empty()) {
                 return Usage();
               }
               return Reported("close", session.sdk->Close());
             },
             Needs::kOpenModule});
  table.Add({"sleep", "", "tell the plug-in that the PC goes to sleep",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (!args.empty()) {
                 return Usage();
               }
               return RaisePowerEvent(session, "sleep", true);
             }});
  table.Add({"resume", "", "tell the plug-in that the PC has resumed",
             [](HostSession& session, const std::vector<std::string>& args) {
               if (!args.empty()) {
                 return Usage();
               }
               return RaisePowerEvent(session, "resume", false);
             }});
}

}  // namespace vesk_host
