#include "host/console.h"

#include <utility>

namespace vesk_host {

Console::Console() : start_(std::chrono::steady_clock::now()) {}

void Console::Line(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  if (capturer_ == std::this_thread::get_id()) {
    captured_.push_back(text);
    return;
  }
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Console::Error(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", text.c_str());
  std::fflush(stderr);
}

void Console::Prompt(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

void Console::BeginCapture() {
  std::lock_guard<std::mutex> lock(lock_);
  capturer_ = std::this_thread::get_id();
  captured_.clear();
}

std::vector<std::string> Console::EndCapture() {
  std::lock_guard<std::mutex> lock(lock_);
  capturer_.reset();
  return std::move(captured_);
}

double Console::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void PrintFields(Console& console, const char* name, const std::vector<Field>& fields, const char* labelFormat) {
  console.Line(std::string(name) + ": ok");
  for (const auto& [label, value] : fields) {
    char line[64];
    std::snprintf(line, sizeof line, labelFormat, label);
    console.Line(line + value);
  }
}

}  // namespace vesk_host
