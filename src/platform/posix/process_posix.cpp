// This file must contain only POSIX code.
#include "platform/process.h"

#include <time.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

namespace platform {

std::string ExecutablePath() {
  std::error_code error;
  const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : executable.string();
}

bool StandardInputIsTerminal() {
  return isatty(0) != 0;
}

std::chrono::nanoseconds ProcessCpuTime() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

bool ProcessIsEnding() {
  return false;
}

}  // namespace platform
