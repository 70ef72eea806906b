// This file must contain only Win32 code.
#include "platform/calendar.h"

#include <stdlib.h>
#include <time.h>

namespace platform {

// The runtime's 64-bit functions: its time_t is 32 bits wide on x86.
bool ToLocalTime(int64_t time, std::tm* parts) {
  const __time64_t value = time;
  return _localtime64_s(parts, &value) == 0;
}

bool ToUtcTime(int64_t time, std::tm* parts) {
  const __time64_t value = time;
  return _gmtime64_s(parts, &value) == 0;
}

int64_t FromLocalTime(std::tm* parts) {
  return _mktime64(parts);
}

void SetTimeZone(const char* zone) {
  _putenv_s("TZ", zone);
  _tzset();
}

}  // namespace platform
