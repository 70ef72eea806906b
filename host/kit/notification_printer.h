// One readable line per notification: time stamp, name and the decoded parameters.
#pragma once

#include <cstdint>
#include <string>

#include "host/kit/recording_notification_sink.h"

namespace vesk_host {

// "[   1.250] WWAN_NOTIFICATION_RSSI dBm=-71 percent=55"; elapsedSeconds is the time stamp.
std::string FormatNotification(const hostkit::RecordedNotification& notification, double elapsedSeconds);

// The names of the values the notifications carry: "HSDPA", "home", "locked".
const char* ServiceTypeText(uintptr_t type);
const char* RoamingText(uintptr_t roaming);
const char* SimStatusText(uintptr_t status);

}  // namespace vesk_host
