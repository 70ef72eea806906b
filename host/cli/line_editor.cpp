#include "host/cli/line_editor.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#if defined(VESK_HAVE_LIBEDIT)
#include <editline/readline.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#endif

#include "host/cli/stop_request.h"
#include "platform/process.h"

namespace vesk_host {

namespace {

std::vector<std::string> completionWords;

#if defined(VESK_HAVE_LIBEDIT)
char* NextCompletion(const char* text, int state) {
  static std::size_t next = 0;
  if (state == 0) {
    next = 0;
  }
  while (next < completionWords.size()) {
    const std::string& word = completionWords[next++];
    if (word.rfind(text, 0) == 0) {
      return strdup(word.c_str());
    }
  }
  return nullptr;
}

// Only the first word is a command; no file names are offered for the others.
char** Complete(const char* text, int start, int) {
  rl_attempted_completion_over = 1;
  return start == 0 ? rl_completion_matches(text, NextCompletion) : nullptr;
}

std::optional<std::string> typedLine;
bool lineEnded = false;

void OnLine(char* text) {
  lineEnded = true;
  if (text != nullptr) {
    typedLine = text;
    std::free(text);
  }
}

// Lines that arrived while the user typed go above the prompt, which is then drawn again with the
// half-typed line: libedit's callback interface lets the main thread wait on the keyboard and on them.
bool ReadEditedLine(Console& console, const char* prompt, std::string* line) {
  int wake[2];
  if (pipe(wake) != 0) {
    return false;
  }
  rl_catch_signals = 0;  // the host's own handlers end the session
  rl_attempted_completion_function = Complete;
  typedLine.reset();
  lineEnded = false;
  console.HoldLines([fd = wake[1]] { [[maybe_unused]] const auto ignored = write(fd, "", 1); });
  rl_callback_handler_install(prompt, OnLine);
  while (!lineEnded && !StopRequested().load()) {
    pollfd fds[2] = {{STDIN_FILENO, POLLIN, 0}, {wake[0], POLLIN, 0}};
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      break;
    }
    if ((fds[1].revents & POLLIN) != 0) {
      char drained[64];
      [[maybe_unused]] const auto ignored = read(wake[0], drained, sizeof drained);
      const std::vector<std::string> held = console.ReleaseLines();
      std::fputs("\r\033[K", stdout);
      for (const std::string& text : held) {
        console.Line(text);
      }
      console.HoldLines([fd = wake[1]] { [[maybe_unused]] const auto ignored2 = write(fd, "", 1); });
      rl_forced_update_display();
    }
    if ((fds[0].revents & (POLLIN | POLLHUP)) != 0) {
      rl_callback_read_char();
    }
  }
  rl_callback_handler_remove();
  for (const std::string& text : console.ReleaseLines()) {
    console.Line(text);
  }
  close(wake[0]);
  close(wake[1]);
  if (!typedLine) {
    return false;
  }
  *line = *typedLine;
  if (line->find_first_not_of(" \t") != std::string::npos) {
    add_history(line->c_str());
  }
  return true;
}
#endif

}  // namespace

void SetCompletionWords(std::vector<std::string> words) {
  completionWords = std::move(words);
}

bool ReadPromptLine(Console& console, const char* prompt, std::istream& input, std::string* line) {
#if defined(VESK_HAVE_LIBEDIT)
  if (&input == &std::cin && platform::StandardInputIsTerminal()) {
    return ReadEditedLine(console, prompt, line);
  }
#endif
  console.Prompt(prompt);
  return static_cast<bool>(std::getline(input, *line));
}

}  // namespace vesk_host
