// One readable line per notification: time stamp, name and the decoded parameters.
#pragma once

#include <string>

#include "host/recording_notification_sink.h"

namespace vesk_host {

// "[   1.250] WWAN_NOTIFICATION_RSSI dBm=-71 percent=55"; elapsedSeconds is the time stamp.
std::string FormatNotification(const hostkit::RecordedNotification& notification, double elapsedSeconds);

}  // namespace vesk_host
