// The interactive prompt's line reader: line editing and history where the host was built with
// libedit and standard input is a terminal, else plain lines.
#pragma once

#include <istream>
#include <string>

#include "host/cli/console.h"

namespace vesk_host {

// Shows the prompt and reads one line into *line; false at the end of input.
bool ReadPromptLine(Console& console, const char* prompt, std::istream& input, std::string* line);

}  // namespace vesk_host
