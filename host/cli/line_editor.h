// The interactive prompt's line reader: line editing, history, Tab completion of command names and
// notifications printed above the line being typed where the host was built with libedit and standard
// input is a terminal, else plain lines.
#pragma once

#include <istream>
#include <string>
#include <vector>

#include "host/cli/console.h"

namespace vesk_host {

// The words Tab completes at the start of a line: the command names.
void SetCompletionWords(std::vector<std::string> words);

// Shows the prompt and reads one line into *line; false at the end of input.
bool ReadPromptLine(Console& console, const char* prompt, std::istream& input, std::string* line);

}  // namespace vesk_host
