// How the reference host shows a received SMS: one line of sender, local date and time, and body.
#pragma once

#include <cstdint>
#include <string>

namespace vesk_host {

// "2009-05-12 10:30:00" in local time; the raw number when it is not a date.
std::string SmsLocalTime(uint64_t timestamp);

// The body as UTF-8 in double quotes (an unpaired surrogate shows as U+FFFD), with line breaks and
// other control characters escaped ("\n", "\x0c") so that the message stays on one line.
std::string SmsQuotedBody(const std::u16string& body);

// "from=15555550123 at 2009-05-12 10:30:00 text=\"...\"".
std::string SmsSummary(const std::u16string& sender, uint64_t timestamp, const std::u16string& body);

}  // namespace vesk_host
