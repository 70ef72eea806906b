// Calendar time in parts, thread-safe on every platform. Times are seconds since 1970 in 64 bits
// whatever the width of the C runtime's time_t (32 bits on 32-bit Windows), so that dates past
// January 2038 stay representable there.
#pragma once

#include <cstdint>
#include <ctime>

namespace platform {

// False when the time cannot be represented.
bool ToLocalTime(int64_t time, std::tm* parts);
bool ToUtcTime(int64_t time, std::tm* parts);
// mktime: the parts read as local time; -1 when they cannot be represented.
int64_t FromLocalTime(std::tm* parts);

// Test-only: sets the process's time zone from a TZ text such as "EST5EDT" and applies it.
void SetTimeZone(const char* zone);

}  // namespace platform
