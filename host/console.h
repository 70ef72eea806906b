// The reference host's terminal output, shared by the command thread and the module's notification
// thread: whole lines, never interleaved.
#pragma once

#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

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

  // Until EndCapture, the lines that this thread writes with Line are kept instead of printed (the
  // notification thread's lines still print), so that a command's output can be wrapped.
  void BeginCapture();
  std::vector<std::string> EndCapture();

  // Seconds since the host started, for time stamps.
  double Elapsed() const;

 private:
  std::mutex lock_;
  std::optional<std::thread::id> capturer_;
  std::vector<std::string> captured_;
  const std::chrono::steady_clock::time_point start_;
};

// A command's labelled values: "NAME: ok", then a line a field, its label laid out by labelFormat
// (a printf format of one %s, such as "  %-16s: ").
using Field = std::pair<const char*, std::string>;
void PrintFields(Console& console, const char* name, const std::vector<Field>& fields, const char* labelFormat);

}  // namespace vesk_host
