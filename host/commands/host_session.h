// What the host's commands act on: the module's object and the host objects it was given.
#pragma once

#include <atomic>
#include <cstddef>

#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "vesk/host_interfaces.h"

namespace vesk_host {

class CommandTable;

struct HostSession {
  ICellularSDK* sdk;
  hostkit::RecordingNotificationSink& sink;
  hostkit::RecordingPowerStateSource& powerSource;
  const CommandTable& commands;
  // wait-for looks for notifications from this index on, so each one satisfies a single wait-for.
  std::size_t waitCursor = 0;
  // Set when the user asked the host to end (Ctrl-C): waits give up early. May stay null.
  const std::atomic<bool>* stopRequested = nullptr;
};

}  // namespace vesk_host
