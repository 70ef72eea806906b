// Runs the reference host's commands from a script or from an interactive prompt.
#pragma once

#include <istream>

#include "host/command_table.h"
#include "host/host_session.h"

namespace vesk_host {

// Reads commands line by line until the end of input or quit. Unknown commands and bad arguments get
// a one-line error and the session goes on. Returns false when a command failed the script (only
// when not interactive; interactively the session goes on).
bool RunCommands(std::istream& input, bool interactive, HostSession& session);

}  // namespace vesk_host
