#include "host/cli/console.h"

#include "host/cli/stop_request.h"

#include <utility>

namespace vesk_host {

Console::Console() : start_(std::chrono::steady_clock::now()) {}

void Console::Line(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  if (wake_) {
    held_.push_back(text);
    wake_();
    return;
  }
  Write(text);
}

void Console::TraceLine(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  if (wake_) {
    held_.push_back(text);
    wake_();
    return;
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

void Console::HoldLines(std::function<void()> wake) {
  std::lock_guard<std::mutex> lock(lock_);
  wake_ = std::move(wake);
}

std::vector<std::string> Console::ReleaseLines() {
  std::lock_guard<std::mutex> lock(lock_);
  wake_ = nullptr;
  return std::move(held_);
}

void Console::Write(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  std::fputc('\n', stdout);
  if (std::fflush(stdout) != 0) {
    RequestStop(kBrokenPipeSignal);  // as after Ctrl-C: the session ends as quit ends it
  }
}

void Console::Error(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  std::fflush(stdout);
  std::fprintf(stderr, "error: %s\n", text.c_str());
  std::fflush(stderr);
}

void Console::Warning(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  std::fflush(stdout);
  std::fprintf(stderr, "warning: %s\n", text.c_str());
  std::fflush(stderr);
}

void Console::Prompt(const std::string& text) {
  std::lock_guard<std::mutex> lock(lock_);
  std::fputs(text.c_str(), stdout);
  std::fflush(stdout);
}

double Console::Elapsed() const {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

}  // namespace vesk_host
