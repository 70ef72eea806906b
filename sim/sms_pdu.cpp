#include "sim/sms_pdu.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "platform/text.h"
#include "sim/scenario_text.h"
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

constexpr size_t kSingleSeptets = 160;
constexpr size_t kPartSeptets = 153;  // 160 less the concatenation header and its fill bit
constexpr size_t kSingleUnits = 70;
constexpr size_t kPartUnits = 67;
constexpr size_t kMaxNameSeptets = 11;  // 20 semi-octets, the most an address field holds
constexpr size_t kMaxParts = 255;

// Septets packed 7 bits each, least significant first, after fillBits zero bits that align the
// first septet to a septet boundary behind a user-data header.
void AppendPacked(std::vector<uint8_t>& out, const std::vector<uint8_t>& septets, int fillBits) {
  uint32_t bits = 0;
  int count = fillBits;
  for (uint8_t septet : septets) {
    bits |= static_cast<uint32_t>(septet & 0x7F) << count;
    count += 7;
    while (count >= 8) {
      out.push_back(static_cast<uint8_t>(bits & 0xFF));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) {
    out.push_back(static_cast<uint8_t>(bits & 0xFF));
  }
}

std::vector<uint8_t> NumberAddress(std::string_view digits) {
  std::vector<uint8_t> address{static_cast<uint8_t>(digits.size()), 0x91};
  AppendSemiOctets(address, digits);
  return address;
}

// An alphanumeric address: the length counts the semi-octets the septets fill, not the name's
// characters, so that a reader unpacks no extra septet from the spare bits of the last octet.
std::vector<uint8_t> NameAddress(const std::vector<uint8_t>& septets) {
  std::vector<uint8_t> address{static_cast<uint8_t>((septets.size() * 7 + 3) / 4), 0xD0};
  AppendPacked(address, septets, 0);
  return address;
}

struct UserData {
  uint8_t codingScheme = 0x00;
  uint8_t length = 0;  // septets for the 7-bit alphabet, octets for UCS2; the header included
  std::vector<uint8_t> bytes;
};

// Starts the user data with the header's length octet and the header itself; nothing for an empty
// header.
void StartWithHeader(UserData& data, const std::vector<uint8_t>& header) {
  if (!header.empty()) {
    // Built whole and assigned: g++ 12 at -O3 warns falsely about an insert behind a push_back here.
    std::vector<uint8_t> bytes(header.size() + 1);
    bytes[0] = static_cast<uint8_t>(header.size());
    std::copy(header.begin(), header.end(), bytes.begin() + 1);
    data.bytes = std::move(bytes);
  }
}

UserData Gsm7UserData(const std::vector<uint8_t>& header, const std::vector<uint8_t>& septets) {
  UserData data;
  StartWithHeader(data, header);
  const size_t headerBits = data.bytes.size() * 8;
  const int fillBits = static_cast<int>((7 - headerBits % 7) % 7);
  data.length = static_cast<uint8_t>((headerBits + static_cast<size_t>(fillBits)) / 7 + septets.size());
  AppendPacked(data.bytes, septets, fillBits);
  return data;
}

UserData Ucs2UserData(const std::vector<uint8_t>& header, const std::u16string& units) {
  UserData data;
  data.codingScheme = 0x08;
  StartWithHeader(data, header);
  for (char16_t unit : units) {
    data.bytes.push_back(static_cast<uint8_t>(unit >> 8));
    data.bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
  }
  data.length = static_cast<uint8_t>(data.bytes.size());
  return data;
}

uint8_t SwappedDecimal(int value) {
  const int v = value % 100;
  return static_cast<uint8_t>((v % 10) << 4 | (v / 10));
}

std::vector<uint8_t> Deliver(std::string_view serviceCentre, const std::vector<uint8_t>& sender,
                             const SmsTimestamp& timestamp, bool hasHeader, const UserData& data) {
  std::vector<uint8_t> pdu;
  const std::string centre = DigitsOf(serviceCentre);
  pdu.push_back(static_cast<uint8_t>(1 + (centre.size() + 1) / 2));
  pdu.push_back(0x91);
  AppendSemiOctets(pdu, centre);

  pdu.push_back(hasHeader ? 0x44 : 0x04);  // SMS-DELIVER, with TP-UDHI when a header leads the user data
  pdu.insert(pdu.end(), sender.begin(), sender.end());
  pdu.push_back(0x00);  // protocol identifier
  pdu.push_back(data.codingScheme);
  for (int part :
       {timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute, timestamp.second}) {
    pdu.push_back(SwappedDecimal(part));
  }
  pdu.push_back(timestamp.timeZone);
  pdu.push_back(data.length);
  pdu.insert(pdu.end(), data.bytes.begin(), data.bytes.end());
  return pdu;
}

// One message of at most single units, or parts of at most part units each, never cut where
// keepsNext says the last unit of a part needs the one after it.
template <typename Units, typename KeepsNext>
std::vector<Units> Split(const Units& units, size_t single, size_t part, KeepsNext keepsNext) {
  if (units.size() <= single) {
    return {units};
  }
  std::vector<Units> parts;
  for (size_t at = 0; at < units.size();) {
    size_t end = std::min(at + part, units.size());
    if (end < units.size() && keepsNext(units[end - 1])) {
      --end;
    }
    parts.emplace_back(units.begin() + static_cast<std::ptrdiff_t>(at),
                       units.begin() + static_cast<std::ptrdiff_t>(end));
    at = end;
  }
  return parts;
}

// The sender's address field, or nothing and why in error.
std::optional<std::vector<uint8_t>> SenderAddress(std::string_view sender, std::string* error) {
  const std::string digits = DigitsOf(sender);
  const bool number = !digits.empty() && digits.size() + (sender.front() == '+' ? 1 : 0) == sender.size();
  if (number) {
    if (digits.size() > 20) {
      *error = "bad sender number";
      return std::nullopt;
    }
    return NumberAddress(digits);
  }
  const auto septets = Gsm7Septets(sender);
  if (!septets || septets->empty() || septets->size() > kMaxNameSeptets) {
    *error = "a sender is a number or a name of 1 to 11 characters of the GSM 7-bit alphabet";
    return std::nullopt;
  }
  return NameAddress(*septets);
}

}  // namespace

std::vector<uint8_t> BuildDeliverPdu(std::string_view serviceCentre, std::string_view sender,
                                     const SmsTimestamp& timestamp, std::string_view text) {
  std::vector<uint8_t> septets = Encode(text, true).value_or(std::vector<uint8_t>{});
  if (septets.size() > kSingleSeptets) {
    // Cut at a character boundary: an escape left as the last septet would lose its character.
    size_t kept = 0;
    for (size_t next = 0; next <= kSingleSeptets; next += septets[next] == gsm7::kEscape ? 2 : 1) {
      kept = next;
    }
    septets.resize(kept);
  }
  return Deliver(serviceCentre, NumberAddress(DigitsOf(sender)), timestamp, false, Gsm7UserData({}, septets));
}

std::optional<std::vector<uint8_t>> Gsm7Septets(std::string_view utf8) {
  return Encode(utf8, false);
}

std::optional<std::vector<std::vector<uint8_t>>> ParseTextMessage(std::string_view value, uint8_t* reference,
                                                                  std::string* error) {
  // SENDER (in quotes when it has blanks), then the date and the time, then the text after one blank.
  size_t senderEnd = value.find(' ');
  std::string_view sender = value.substr(0, senderEnd);
  if (value.starts_with('"')) {
    const size_t close = value.find('"', 1);
    senderEnd = close == std::string_view::npos ? close : close + 1;
    sender = value.substr(1, close - 1);
    if (senderEnd != std::string_view::npos && senderEnd < value.size() && value[senderEnd] != ' ') {
      senderEnd = std::string_view::npos;
    }
  }
  const size_t dateEnd = senderEnd >= value.size() ? std::string_view::npos : value.find(' ', senderEnd + 1);
  const size_t timeEnd = dateEnd == std::string_view::npos ? dateEnd : value.find(' ', dateEnd + 1);
  if (timeEnd == std::string_view::npos) {
    *error = "a text message is 'SENDER YYYY-MM-DD hh:mm:ss TEXT'";
    return std::nullopt;
  }
  const std::string stamp(value.substr(senderEnd + 1, timeEnd - senderEnd - 1));
  const std::string_view text = value.substr(timeEnd + 1);

  const auto address = SenderAddress(sender, error);
  if (!address) {
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

  // Each part's header: 8-bit reference concatenation (TS 23.040 9.2.3.24.1).
  const auto header = [reference](size_t total, size_t sequence) {
    return total == 1 ? std::vector<uint8_t>{}
                      : std::vector<uint8_t>{0x00, 0x03, *reference, static_cast<uint8_t>(total),
                                             static_cast<uint8_t>(sequence)};
  };
  std::vector<UserData> parts;
  const auto addParts = [&](const auto& chunks, auto userData) {
    for (size_t i = 0; i < chunks.size() && chunks.size() <= kMaxParts; ++i) {
      parts.push_back(userData(header(chunks.size(), i + 1), chunks[i]));
    }
    return chunks.size() <= kMaxParts;
  };
  bool fits = true;
  if (const auto septets = Gsm7Septets(text)) {
    fits = addParts(
        Split(*septets, kSingleSeptets, kPartSeptets, [](uint8_t septet) { return septet == gsm7::kEscape; }),
        Gsm7UserData);
  } else {
    bool valid = true;
    const std::u16string units = platform::Widen(text, &valid);
    if (!valid) {
      *error = "the text is not UTF-8";
      return std::nullopt;
    }
    fits = addParts(Split(units, kSingleUnits, kPartUnits,
                          [](char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }),
                    Ucs2UserData);
  }
  if (!fits) {
    *error = "the text needs more than 255 parts";
    return std::nullopt;
  }
  std::vector<std::vector<uint8_t>> pdus;
  for (const UserData& part : parts) {
    pdus.push_back(Deliver(kTextServiceCentre, *address, timestamp, parts.size() > 1, part));
  }
  if (pdus.size() > 1) {
    ++*reference;
  }
  return pdus;
}

std::optional<std::vector<std::vector<uint8_t>>> ParseSmsMessage(std::string_view value, uint8_t* reference,
                                                                 std::string* error) {
  std::vector<size_t> order;
  if (value.starts_with("parts ")) {
    value = Trim(value.substr(6));
    const size_t blank = value.find_first_of(" \t");
    std::string_view list = value.substr(0, blank);
    value = blank == std::string_view::npos ? std::string_view() : Trim(value.substr(blank));
    while (!list.empty()) {
      const size_t comma = list.find(',');
      const auto number = ParseInRange(list.substr(0, comma), 1, kMaxParts);
      if (!number) {
        *error = "parts is a list of part numbers, such as 3,1,2";
        return std::nullopt;
      }
      order.push_back(static_cast<size_t>(*number));
      list = comma == std::string_view::npos ? std::string_view() : list.substr(comma + 1);
    }
    if (!value.starts_with("from ")) {
      *error = "parts come before 'from SENDER YYYY-MM-DD hh:mm:ss TEXT'";
      return std::nullopt;
    }
  }
  if (value.starts_with("from ")) {
    const uint8_t first = *reference;
    auto pdus = ParseTextMessage(Trim(value.substr(5)), reference, error);
    if (!pdus || order.empty()) {
      return pdus;
    }
    std::vector<std::vector<uint8_t>> ordered;
    for (size_t part : order) {
      if (part > pdus->size()) {
        *reference = first;
        *error = "the message has no part " + std::to_string(part) + " (it has " +
                 std::to_string(pdus->size()) + ")";
        return std::nullopt;
      }
      ordered.push_back((*pdus)[part - 1]);
    }
    return ordered;
  }
  auto pdu = ParseHex(value);
  if (!pdu) {
    *error = "sms needs a hex PDU or 'from SENDER YYYY-MM-DD hh:mm:ss TEXT'";
    return std::nullopt;
  }
  return std::vector<std::vector<uint8_t>>{std::move(*pdu)};
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
