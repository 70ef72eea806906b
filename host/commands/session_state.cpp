#include "host/commands/session_state.h"

#include "vesk/notifications.h"

namespace vesk_host {

bool ModemAttached(const HostSession& session) {
  const auto notifications = session.sink.Notifications();
  for (auto it = notifications.rbegin(); it != notifications.rend(); ++it) {
    switch (it->code) {
      case WWAN_NOTIFICATION_ATTACHED_TO_DEVICE:
        return true;
      case WWAN_NOTIFICATION_DETACHED_FROM_DEVICE:
      case WWAN_NOTIFICATION_SDK_CLOSED:
        return false;
      default:
        break;
    }
  }
  return false;
}

std::string MissingFor(const HostSession& session, Needs needs) {
  if (needs == Needs::kNothing) {
    return "";
  }
  if (!session.sdk->IsOpen()) {
    return "the module is not open (open it first)";
  }
  if (needs == Needs::kAttachedModem && !ModemAttached(session)) {
    return "no modem attached (attach, then wait-for attached_to_device)";
  }
  return "";
}

}  // namespace vesk_host
