#include "sim/sms_pdu.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "sms/gsm7_alphabet.h"

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

// The next code point of UTF-8 text, advancing pos; nothing on a malformed sequence.
std::optional<char32_t> NextCodePoint(std::string_view text, size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos++]);
  if (lead < 0x80) {
    return lead;
  }
  const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
  if (extra < 0 || pos + static_cast<size_t>(extra) > text.size()) {
    return std::nullopt;
  }
  char32_t code = lead & (0x3F >> extra);
  for (int i = 0; i < extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos++]);
    if ((next & 0xC0) != 0x80) {
      return std::nullopt;
    }
    code = code << 6 | (next & 0x3F);
  }
  return code;
}

// The septets of one character: one from the default alphabet, else the escape and an extension code.
std::vector<uint8_t> SeptetsOf(char32_t code) {
  for (uint8_t septet = 0; septet < 128; ++septet) {
    if (septet != gsm7::kEscape && gsm7::kDefaultAlphabet[septet] == code) {
      return {septet};
    }
  }
  for (uint8_t septet = 0; septet < 128; ++septet) {
    if (gsm7::ExtensionCharacter(septet) != 0 && gsm7::ExtensionCharacter(septet) == code) {
      return {gsm7::kEscape, septet};
    }
  }
  return {};
}

// Septets of text with "?" for what the alphabet lacks; nothing only for malformed UTF-8.
std::optional<std::vector<uint8_t>> Encode(std::string_view utf8, bool substitute) {
  std::vector<uint8_t> septets;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const auto code = NextCodePoint(utf8, pos);
    std::vector<uint8_t> encoded = code ? SeptetsOf(*code) : std::vector<uint8_t>{};
    if (encoded.empty()) {
      if (!substitute) {
        return std::nullopt;
      }
      encoded = {'?'};
    }
    septets.insert(septets.end(), encoded.begin(), encoded.end());
  }
  return septets;
}

std::vector<uint8_t> Pack(const SmsTimestamp& timestamp, std::string_view serviceCentre, std::string_view sender,
                          std::vector<uint8_t> septets);

uint8_t SwappedDecimal(int value) {
  const int v = value % 100;
  return static_cast<uint8_t>((v % 10) << 4 | (v / 10));
}

}  // namespace

std::vector<uint8_t> BuildDeliverPdu(std::string_view serviceCentre, std::string_view sender,
                                     const SmsTimestamp& timestamp, std::string_view text) {
  std::vector<uint8_t> septets = Encode(text, true).value_or(std::vector<uint8_t>{});
  if (septets.size() > 160) {
    // Cut at a character boundary: an escape left as the last septet would lose its character.
    size_t kept = 0;
    for (size_t next = 0; next <= 160; next += septets[next] == gsm7::kEscape ? 2 : 1) {
      kept = next;
    }
    septets.resize(kept);
  }
  return Pack(timestamp, serviceCentre, sender, std::move(septets));
}

namespace {

std::vector<uint8_t> Pack(const SmsTimestamp& timestamp, std::string_view serviceCentre, std::string_view sender,
                          std::vector<uint8_t> septets) {
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

  pdu.push_back(static_cast<uint8_t>(septets.size()));
  uint32_t bits = 0;
  int count = 0;
  for (uint8_t septet : septets) {
    bits |= static_cast<uint32_t>(septet & 0x7F) << count;
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

}  // namespace

std::optional<std::vector<uint8_t>> Gsm7Septets(std::string_view utf8) {
  return Encode(utf8, false);
}

std::optional<std::vector<uint8_t>> ParseTextMessage(std::string_view value, std::string* error) {
  // SENDER, then the date and the time, then the text after one blank.
  const size_t senderEnd = value.find(' ');
  const size_t dateEnd = senderEnd == std::string_view::npos ? senderEnd : value.find(' ', senderEnd + 1);
  const size_t timeEnd = dateEnd == std::string_view::npos ? dateEnd : value.find(' ', dateEnd + 1);
  if (timeEnd == std::string_view::npos) {
    *error = "a text message is 'SENDER YYYY-MM-DD hh:mm:ss TEXT'";
    return std::nullopt;
  }
  const std::string_view sender = value.substr(0, senderEnd);
  const std::string stamp(value.substr(senderEnd + 1, timeEnd - senderEnd - 1));
  const std::string_view text = value.substr(timeEnd + 1);

  const std::string digits = DigitsOf(sender);
  if (digits.empty() || digits.size() > 20 || digits.size() + (sender.front() == '+' ? 1 : 0) != sender.size()) {
    *error = "bad sender number";
    return std::nullopt;
  }
  SmsTimestamp timestamp;
  int year = 0;
  char end = 0;
  if (std::sscanf(stamp.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &year, &timestamp.month, &timestamp.day,
                  &timestamp.hour, &timestamp.minute, &timestamp.second, &end) != 6 ||
      year < 1991 || year > 2090 || timestamp.month < 1 || timestamp.month > 12 || timestamp.day < 1 ||
      timestamp.day > 31 || timestamp.hour > 23 || timestamp.minute > 59 || timestamp.second > 59) {
    *error = "bad time stamp '" + stamp + "'";
    return std::nullopt;
  }
  timestamp.year = year % 100;
  timestamp.timeZone = 0;

  auto septets = Gsm7Septets(text);
  if (!septets) {
    *error = "the text has a character outside the GSM 7-bit alphabet";
    return std::nullopt;
  }
  if (septets->size() > 160) {
    *error = "the text needs more than 160 septets";
    return std::nullopt;
  }
  return Pack(timestamp, kTextServiceCentre, sender, std::move(*septets));
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
