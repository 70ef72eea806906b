// The reference host's terminal output, shared by the command thread and the module's notification
// thread: whole lines, never interleaved.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vesk_host {

class Console {
 public:
  Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // A result or notification line on standard output.
  void Line(const std::string& text);
  // A trace line on standard error; held like the others while the user edits a line.
  void TraceLine(const std::string& text);
  // A one-line error on standard error, prefixed with "error: ".
  void Error(const std::string& text);
  // The same, prefixed with "warning: ".
  void Warning(const std::string& text);
  // The prompt of an interactive session, without a line break.
  void Prompt(const std::string& text);

  // While the user edits a line at the prompt, lines are held back instead of printed (they would cut
  // through the half-typed line) and wake is called; the line editor prints them above the prompt.
  void HoldLines(std::function<void()> wake);
  std::vector<std::string> ReleaseLines();  // the lines held so far; holding ends

  // Seconds since the host started, for time stamps.
  double Elapsed() const;
  std::chrono::steady_clock::time_point start() const { return start_; }

 private:
  void Write(const std::string& text);

  std::mutex lock_;
  std::function<void()> wake_;
  std::vector<std::string> held_;
  const std::chrono::steady_clock::time_point start_;
};

}  // namespace vesk_host
