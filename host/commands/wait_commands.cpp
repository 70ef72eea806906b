// wait, wait-for: pacing a script against time and against the module's notifications.
#include <chrono>
#include <string>
#include <thread>

#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

constexpr uint32_t kDefaultWaitForMs = 10000;

CommandResult Wait(HostSession&, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  const auto ms = ParseMilliseconds(args[0]);
  if (!ms) {
    return Usage();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(*ms));
  return Ok();
}

CommandResult WaitFor(HostSession& session, const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 2) {
    return Usage();
  }
  const auto code = ParseNotificationCode(args[0]);
  const auto ms = args.size() == 2 ? ParseMilliseconds(args[1]) : std::optional<uint32_t>(kDefaultWaitForMs);
  if (!code || !ms) {
    return Usage();
  }
  const std::string name = *NotificationName(*code) != '\0' ? NotificationName(*code) : args[0];
  const auto found = session.sink.WaitFor(*code, std::chrono::milliseconds(*ms), session.waitCursor);
  if (!found) {
    return Failed("no " + name + " within " + std::to_string(*ms) + " ms");
  }
  session.waitCursor = *found + 1;
  return Ok({"wait-for: " + name + " arrived"});
}

}  // namespace

void AddWaitCommands(CommandTable& table) {
  table.Add({"wait", "MS", "pause for MS milliseconds", Wait});
  table.Add({"wait-for", "NOTIFICATION [MS]",
             "wait (default 10000 ms) for the next NOTIFICATION not yet waited for, e.g. sdk_closed; "
             "a time-out fails a script",
             WaitFor});
}

}  // namespace vesk_host
