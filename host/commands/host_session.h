// What the host's commands act on: the module's object and the host objects it was given.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/stream_trace_log.h"
#include "vesk/host_interfaces.h"

namespace vesk_host {

class CommandTable;

struct HostSession {
  ICellularSDK* sdk;
  hostkit::RecordingNotificationSink& sink;
  hostkit::RecordingPowerStateSource& powerSource;
  const CommandTable& commands;
  // wait-for looks at the notifications from the last command that was not a wait on, and by code
  // from the one after the last it matched: each satisfies a single wait-for, in whatever order
  // notifications of different names came.
  std::size_t waitFloor = 0;
  std::map<int32_t, std::size_t> waitCursors{};
  // Set when the user asked the host to end (Ctrl-C): waits give up early. May stay null.
  const std::atomic<bool>* stopRequested = nullptr;
  // The trace the user sees, when it is a StreamTraceLog: diag shows its report lines there. May be null.
  StreamTraceLog* traceLog = nullptr;
  // The module's private folder (with a trailing slash), where an installed simulator lies; scenario
  // looks there for one the module has not loaded yet. May be empty.
  std::string privateFolder{};
};

}  // namespace vesk_host
