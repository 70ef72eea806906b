// wait, wait-for: pacing a script against time and against the module's notifications.
#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <thread>

#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

constexpr uint32_t kDefaultWaitForMs = 10000;
// How often a wait looks whether the user asked the host to end.
constexpr std::chrono::milliseconds kStopPoll(50);

bool Stopping(const HostSession& session) {
  return session.stopRequested != nullptr && session.stopRequested->load();
}

CommandResult Wait(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() != 1) {
    return Usage();
  }
  const auto ms = ParseMilliseconds(args[0]);
  if (!ms) {
    return Usage();
  }
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(*ms);
  for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
    if (Stopping(session)) {
      return Failed("interrupted");
    }
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(end - now, kStopPoll));
  }
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
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(*ms);
  std::size_t& cursor = session.waitCursors[*code];
  cursor = std::max(cursor, session.waitFloor);
  std::optional<std::size_t> found;
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
    found = session.sink.WaitFor(*code, std::clamp(left, std::chrono::milliseconds(0), kStopPoll), cursor);
    if (found || Stopping(session) || std::chrono::steady_clock::now() >= end) {
      break;
    }
  }
  if (!found && Stopping(session)) {
    return Failed("interrupted");
  }
  if (!found) {
    return Failed("no " + name + " within " + std::to_string(*ms) + " ms");
  }
  cursor = *found + 1;
  return Ok({"wait-for: " + name + " arrived"});
}

}  // namespace

void AddWaitCommands(CommandTable& table) {
  table.Add({"wait", "MS", "pause for MS milliseconds", Wait});
  table.Add({"wait-for", "NOTIFICATION [MS]",
             "wait (default 10000 ms) for the first NOTIFICATION since the last other command not yet "
             "waited for (others may come between), e.g. sdk_closed; "
             "a time-out fails a script",
             WaitFor});
}

}  // namespace vesk_host
