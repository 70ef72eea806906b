// This file must contain only POSIX code.
#include "platform/process.h"

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

bool ProcessIsEnding() {
  return false;
}

}  // namespace platform
