// inbox: the SMS messages that the module delivered in this session, oldest first.
#include <string>
#include <vector>

#include "host/command_table.h"
#include "host/sms_text.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

// The sink keeps every delivered notification, with the SMS records copied before they were freed.
CommandResult Inbox(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return CommandResult::kBadArguments;
  }
  std::vector<std::string> lines;
  for (const hostkit::RecordedNotification& n : session.sink.Notifications()) {
    if (n.code == WWAN_NOTIFICATION_SMS_EVENT && n.hasPayload) {
      lines.push_back("  " + std::to_string(lines.size() + 1) + ". " + SmsSummary(n.text, n.timestamp, n.body));
    }
  }
  session.console.Line("inbox: " + std::to_string(lines.size()) + (lines.size() == 1 ? " message" : " messages"));
  for (const std::string& line : lines) {
    session.console.Line(line);
  }
  return CommandResult::kDone;
}

}  // namespace

void AddInboxCommands(CommandTable& table) {
  table.Add({"inbox", "", "list the SMS messages received so far", Inbox});
}

}  // namespace vesk_host
