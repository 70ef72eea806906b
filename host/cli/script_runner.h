// Runs the host's commands from a script or from an interactive prompt and shows their results.
#pragma once

#include <istream>

#include "host/cli/console.h"
#include "host/commands/host_session.h"

namespace vesk_host {

struct RunMode {
  bool interactive = false;  // a prompt: a failed command does not end the session
  bool json = false;         // each result as one JSON object, no prompt
};

// Reads commands line by line until the end of input or quit. Unknown commands and bad arguments get
// a one-line error and the session goes on. Returns false when a command failed a script.
bool RunCommands(std::istream& input, const RunMode& mode, HostSession& session, Console& console);

}  // namespace vesk_host
