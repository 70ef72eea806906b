// Calendar time in parts, thread-safe on every platform.
#pragma once

#include <ctime>

namespace platform {

// False when the time cannot be represented.
bool ToLocalTime(std::time_t time, std::tm* parts);
bool ToUtcTime(std::time_t time, std::tm* parts);

// Test-only: sets the process's time zone from a TZ text such as "EST5EDT" and applies it.
void SetTimeZone(const char* zone);

}  // namespace platform
