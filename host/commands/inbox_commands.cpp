// inbox: the SMS messages that the module delivered in this session, oldest first.
#include <string>
#include <utility>
#include <vector>

#include "host/commands/command_table.h"
#include "host/kit/sms_text.h"
#include "vesk/notifications.h"

namespace vesk_host {

namespace {

// The sink keeps every delivered notification, with the SMS records copied before they were freed.
CommandResult Inbox(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  std::vector<std::string> lines;
  for (const hostkit::RecordedNotification& n : session.sink.Notifications()) {
    if (n.code == WWAN_NOTIFICATION_SMS_EVENT && n.hasPayload) {
      lines.push_back("  " + std::to_string(lines.size() + 1) + ". " + SmsSummary(n.text, n.timestamp, n.body));
    }
  }
  lines.insert(lines.begin(),
               "inbox: " + std::to_string(lines.size()) + (lines.size() == 1 ? " message" : " messages"));
  return Ok(std::move(lines));
}

}  // namespace

void AddInboxCommands(CommandTable& table) {
  table.Add({"inbox", "", "list the SMS messages received so far", Inbox});
}

}  // namespace vesk_host
