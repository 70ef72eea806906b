#include "host/cli/line_editor.h"

#include <cstdlib>
#include <iostream>

#if defined(VESK_HAVE_LIBEDIT)
#include <editline/readline.h>
#endif

#include "platform/process.h"

namespace vesk_host {

bool ReadPromptLine(Console& console, const char* prompt, std::istream& input, std::string* line) {
#if defined(VESK_HAVE_LIBEDIT)
  if (&input == &std::cin && platform::StandardInputIsTerminal()) {
    // The host's own handlers end the session; libedit's would re-raise Ctrl-C to the process group.
    rl_catch_signals = 0;
    char* text = readline(prompt);
    if (text == nullptr) {
      return false;
    }
    *line = text;
    std::free(text);
    if (line->find_first_not_of(" \t") != std::string::npos) {
      add_history(line->c_str());
    }
    return true;
  }
#endif
  console.Prompt(prompt);
  return static_cast<bool>(std::getline(input, *line));
}

}  // namespace vesk_host
