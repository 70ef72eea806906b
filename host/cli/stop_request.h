// Ctrl-C, SIGTERM and a closed output pipe as a request to end the session the way quit does: the
// module closed and released, the GPX track closed, the simulator's files removed.
#pragma once

#include <atomic>

namespace vesk_host {

// A write to standard output failed: the reader has gone.
constexpr int kBrokenPipeSignal = 13;

// Called on the main thread before any other starts. Installs the handlers (a console-control handler on Windows) and ignores SIGPIPE, so that a write to
// a closed pipe fails instead of killing the host. The first request sets the flag; a second one
// ends the process at once.
void InstallStopHandlers();

// Set once a stop was requested; commands that wait poll it.
const std::atomic<bool>& StopRequested();

// A request from the host itself, such as output that can no longer be written.
void RequestStop(int signal);

// Blocks the main thread, without waking, until a stop is requested.
void WaitForStopRequest();

// 128 + the signal that asked to stop, as shells report a process ended by it; 0 without a request.
int StopExitCode();

}  // namespace vesk_host
