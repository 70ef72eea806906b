#include "host/kit/sms_text.h"

#include <cstdio>
#include <ctime>

#include "platform/calendar.h"
#include "platform/text.h"

namespace vesk_host {

std::string SmsLocalTime(uint64_t timestamp) {
  const auto seconds = static_cast<int64_t>(timestamp);
  std::tm local{};
  char text[64];
  if (seconds < 0 || !platform::ToLocalTime(seconds, &local) ||
      std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local) == 0) {
    return std::to_string(timestamp);
  }
  return text;
}

std::string SmsQuotedBody(const std::u16string& body) {
  std::string quoted = "\"";
  for (const char c : platform::Narrow(body)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (byte < 0x20 || byte == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

std::string SmsSummary(const std::u16string& sender, uint64_t timestamp, const std::u16string& body) {
  return "from=" + platform::Narrow(sender) + " at " + SmsLocalTime(timestamp) + " text=" + SmsQuotedBody(body);
}

}  // namespace vesk_host
