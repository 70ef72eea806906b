#include "sim/sms_pdu.h"

#include <cctype>

namespace vesksim {
namespace {

// Semi-octets, low nibble first, 0xF filling an odd count.
void AppendSemiOctets(std::vector<uint8_t>& out, std::string_view digits) {
  for (size_t i = 0; i < digits.size(); i += 2) {
    const uint8_t low = static_cast<uint8_t>(digits[i] - '0');
    const uint8_t high = i + 1 < digits.size() ? static_cast<uint8_t>(digits[i + 1] - '0') : 0xF;
    out.push_back(static_cast<uint8_t>(high << 4 | low));
  }
}

std::string DigitsOf(std::string_view number) {
  std::string digits;
  for (char c : number) {
    if (c >= '0' && c <= '9') {
      digits.push_back(c);
    }
  }
  return digits;
}

uint8_t SwappedDecimal(int value) {
  const int v = value % 100;
  return static_cast<uint8_t>((v % 10) << 4 | (v / 10));
}

}  // namespace

std::vector<uint8_t> BuildDeliverPdu(std::string_view serviceCentre, std::string_view sender,
                                     const SmsTimestamp& timestamp, std::string_view text) {
  std::vector<uint8_t> pdu;
  const std::string centre = DigitsOf(serviceCentre);
  pdu.push_back(static_cast<uint8_t>(1 + (centre.size() + 1) / 2));
  pdu.push_back(0x91);
  AppendSemiOctets(pdu, centre);

  pdu.push_back(0x04);  // SMS-DELIVER, no further flags
  const std::string from = DigitsOf(sender);
  pdu.push_back(static_cast<uint8_t>(from.size()));
  pdu.push_back(0x91);
  AppendSemiOctets(pdu, from);
  pdu.push_back(0x00);  // protocol identifier
  pdu.push_back(0x00);  // GSM 7-bit default alphabet

  for (int part :
       {timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute, timestamp.second}) {
    pdu.push_back(SwappedDecimal(part));
  }
  pdu.push_back(timestamp.timeZone);

  const std::string_view body = text.substr(0, 160);
  pdu.push_back(static_cast<uint8_t>(body.size()));
  uint32_t bits = 0;
  int count = 0;
  for (char c : body) {
    bits |= (static_cast<uint32_t>(c) & 0x7F) << count;
    count += 7;
    while (count >= 8) {
      pdu.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) {
    pdu.push_back(static_cast<uint8_t>(bits & 0xFF));
  }
  return pdu;
}

std::optional<std::vector<uint8_t>> ParseHex(std::string_view hex) {
  std::vector<uint8_t> bytes;
  int high = -1;
  for (char c : hex) {
    if (c == ' ' || c == '\t') {
      if (high >= 0) {
        return std::nullopt;  // a blank inside a byte
      }
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(c))) {
      return std::nullopt;
    }
    const int nibble = std::isdigit(static_cast<unsigned char>(c))
                           ? c - '0'
                           : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    if (high < 0) {
      high = nibble;
    } else {
      bytes.push_back(static_cast<uint8_t>(high << 4 | nibble));
      high = -1;
    }
  }
  if (high >= 0 || bytes.empty()) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace vesksim
