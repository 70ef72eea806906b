// Wall-clock times as the reference host writes them: ISO 8601 in UTC, to the millisecond.
#pragma once

#include <chrono>
#include <string>

namespace vesk_host {

// "2009-05-12T10:00:00.250Z".
std::string UtcText(std::chrono::system_clock::time_point time);

}  // namespace vesk_host
