// Event lines, written "kind = arguments", as a scenario's [events] section and VeskSimEvent take them:
//   signal = DBM [INTERFACE]        roaming = INDICATOR        data_caps = CAP ...
//   session = STATE [END_REASON]    power = MODE               device = removed | returned
//   sms = sim|device HEX_PDU | [parts N,N,...] from SENDER YYYY-MM-DD hh:mm:ss TEXT
//   nmea = SENTENCE                 activation = STATE
//   bytes = TX RX
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sim/scenario.h"

namespace vesksim {

// Parses one line's key and value; on failure returns nothing and says why in error. A long SMS
// written as text takes *smsReference as its concatenation reference and moves it on.
std::optional<Event> ParseEvent(std::string_view key, std::string_view value, uint8_t* smsReference,
                                std::string* error);

// The same from a whole "kind = arguments" line.
std::optional<Event> ParseEventLine(std::string_view line, uint8_t* smsReference, std::string* error);

}  // namespace vesksim
