// SMS-DELIVER PDUs (with the service-centre address in front) as the modem stores them, and the hex
// form in which scenarios write them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesksim {

struct SmsTimestamp {
  int year = 9;  // two digits
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  uint8_t timeZone = 0;  // as stored, in quarter hours
};

// Builds an SMS-DELIVER PDU in the GSM 7-bit default alphabet. Numbers are digits, optionally led by
// "+"; text is packed septet by septet from its bytes' low 7 bits (at most 160 of them).
std::vector<uint8_t> BuildDeliverPdu(std::string_view serviceCentre, std::string_view sender,
                                     const SmsTimestamp& timestamp, std::string_view text);

// "07 91 ..." or "0791..." to bytes; blanks are allowed between bytes. Nothing on malformed input.
std::optional<std::vector<uint8_t>> ParseHex(std::string_view hex);

}  // namespace vesksim
