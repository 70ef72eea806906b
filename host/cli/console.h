// The reference host's terminal output, shared by the command thread and the module's notification
// thread: whole lines, never interleaved.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <string>

namespace vesk_host {

class Console {
 public:
  Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // A result or notification line on standard output.
  void Line(const std::string& text);
  // A one-line error on standard error, prefixed with "error: ".
  void Error(const std::string& text);
  // The prompt of an interactive session, without a line break.
  void Prompt(const std::string& text);

  // Seconds since the host started, for time stamps.
  double Elapsed() const;
  std::chrono::steady_clock::time_point start() const { return start_; }

 private:
  std::mutex lock_;
  const std::chrono::steady_clock::time_point start_;
};

}  // namespace vesk_host
