// What the reference host's commands act on: the module's object, the three host objects and the
// console.
#pragma once

#include <cstddef>

#include "host/console.h"
#include "host/recording_notification_sink.h"
#include "host/recording_power_state_source.h"
#include "vesk/host_interfaces.h"

namespace vesk_host {

class CommandTable;

struct HostSession {
  ICellularSDK* sdk;
  hostkit::RecordingNotificationSink& sink;
  hostkit::RecordingPowerStateSource& powerSource;
  Console& console;
  const CommandTable& commands;
  // wait-for looks for notifications from this index on, so each one satisfies a single wait-for.
  std::size_t waitCursor = 0;
  // --json: each command's result is one JSON object, and no prompt is shown.
  bool json = false;
};

}  // namespace vesk_host
