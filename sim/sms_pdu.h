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
// "+"; the UTF-8 text is encoded through the default alphabet and its extension table (a character
// outside both becomes "?") and cut to 160 septets, never between an escape and its character.
std::vector<uint8_t> BuildDeliverPdu(std::string_view serviceCentre, std::string_view sender,
                                     const SmsTimestamp& timestamp, std::string_view text);

// The septets of UTF-8 text in the GSM 7-bit alphabet (an extension character is two: the escape and
// its code); nothing when the text is not UTF-8 or holds a character outside both tables.
std::optional<std::vector<uint8_t>> Gsm7Septets(std::string_view utf8);

// The service centre of messages written as text.
inline constexpr char kTextServiceCentre[] = "+15555550000";

// A message written as text, "SENDER YYYY-MM-DD hh:mm:ss TEXT" (years 1991 to 2090, the time zone
// byte 0), as the PDUs that carry it, in part order. SENDER is a number (digits, optionally led by
// "+") or a name of at most 11 septets of the GSM 7-bit alphabet, sent as an alphanumeric address;
// a name with blanks is written in double quotes. The text goes in the GSM 7-bit alphabet when both
// its tables hold every character, else in UCS2. A text too long for one message is split into a
// concatenated message whose 8-bit reference is *reference, which then moves on by one. Nothing,
// and why in error, when the value does not read.
std::optional<std::vector<std::vector<uint8_t>>> ParseTextMessage(std::string_view value, uint8_t* reference,
                                                                  std::string* error);

// The message of an sms line: a hex PDU, or "[parts N,N,...] from SENDER YYYY-MM-DD hh:mm:ss TEXT".
// The PDUs come back in the order the modem is to store them: part order, or the order of the parts
// list (a part may be left out or given twice, as a network may lose or repeat one).
std::optional<std::vector<std::vector<uint8_t>>> ParseSmsMessage(std::string_view value, uint8_t* reference,
                                                                 std::string* error);

// "07 91 ..." or "0791..." to bytes; blanks are allowed between bytes. Nothing on malformed input.
std::optional<std::vector<uint8_t>> ParseHex(std::string_view hex);

}  // namespace vesksim
