#include "host/kit/utc_time.h"

#include <cstdio>
#include <ctime>

#include "platform/calendar.h"

namespace vesk_host {

std::string UtcText(std::chrono::system_clock::time_point time) {
  const auto sinceEpoch = std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch());
  const auto seconds = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
  std::tm parts{};
  platform::ToUtcTime(static_cast<int64_t>(seconds.count()), &parts);
  char text[96];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", parts.tm_year + 1900, parts.tm_mon + 1,
                parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                static_cast<int>((sinceEpoch - seconds).count()));
  return text;
}

}  // namespace vesk_host
