// This file must contain only POSIX code.
#include "platform/calendar.h"

#include <cstdlib>

namespace platform {

bool ToLocalTime(int64_t time, std::tm* parts) {
  const auto value = static_cast<std::time_t>(time);
  return value == time && localtime_r(&value, parts) != nullptr;
}

bool ToUtcTime(int64_t time, std::tm* parts) {
  const auto value = static_cast<std::time_t>(time);
  return value == time && gmtime_r(&value, parts) != nullptr;
}

int64_t FromLocalTime(std::tm* parts) {
  return static_cast<int64_t>(std::mktime(parts));
}

void SetTimeZone(const char* zone) {
  setenv("TZ", zone, 1);
  tzset();
}

}  // namespace platform
