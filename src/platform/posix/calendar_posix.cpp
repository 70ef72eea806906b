// This file must contain only POSIX code.
#include "platform/calendar.h"

#include <cstdlib>

namespace platform {

bool ToLocalTime(std::time_t time, std::tm* parts) {
  return localtime_r(&time, parts) != nullptr;
}

bool ToUtcTime(std::time_t time, std::tm* parts) {
  return gmtime_r(&time, parts) != nullptr;
}

void SetTimeZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

}  // namespace platform
