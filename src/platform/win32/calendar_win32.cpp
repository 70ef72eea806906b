// This file must contain only Win32 code.
#include "platform/calendar.h"

#include <stdlib.h>
#include <time.h>

namespace platform {

bool ToLocalTime(std::time_t time, std::tm* parts) {
  return localtime_s(parts, &time) == 0;
}

bool ToUtcTime(std::time_t time, std::tm* parts) {
  return gmtime_s(parts, &time) == 0;
}

void SetTimeZone(const char* zone) {
  _putenv_s("TZ", zone);
  _tzset();
}

}  // namespace platform
