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

// Reads commands line by line until the end of input, quit or a stop request. An error (unknown
// command, usage, a failed command) is one line on standard error; it ends a script, and false is
// returned, unless the line starts with '-'. At a prompt the session goes on.
bool RunCommands(std::istream& input, const RunMode& mode, HostSession& session, Console& console);

}  // namespace vesk_host
