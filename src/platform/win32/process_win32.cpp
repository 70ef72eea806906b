// This file must contain only Win32 code.
#include "platform/process.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

#include "platform/text.h"

// ntdll's own answer, the one a library's DllMain gets as its reserved argument at process exit.
extern "C" __declspec(dllimport) BOOLEAN NTAPI RtlDllShutdownInProgress(void);

namespace platform {

std::string ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      return std::string();
    }
    if (length < path.size()) {
      path.resize(length);
      return Narrow(std::u16string(path.begin(), path.end()));
    }
    path.resize(path.size() * 2);
  }
}

bool StandardInputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

std::chrono::nanoseconds ProcessCpuTime() {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) {
    return std::chrono::nanoseconds(0);
  }
  const auto ticks = [](const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  };
  return std::chrono::nanoseconds((ticks(kernel) + ticks(user)) * 100);  // 100 ns units
}

bool ProcessIsEnding() {
  return RtlDllShutdownInProgress() != FALSE;
}

}  // namespace platform
