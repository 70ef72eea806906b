// Test-only: SMS-DELIVER PDUs written field by field, independent of the module's decoder and of the
// simulator's encoder, and bytes as upper-case hex as the tests write PDUs.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sms_test {

inline std::vector<uint8_t> Septets(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

// Packs septets, after a user-data header (its length byte first) when there is one: the text
// starts at the first septet boundary after the header. septetCount gets the user-data length.
inline std::vector<uint8_t> Pack(const std::vector<uint8_t>& septets, const std::vector<uint8_t>& header = {},
                                 std::size_t* septetCount = nullptr) {
  std::vector<uint8_t> bytes = header;
  const std::size_t start = (8 * header.size() + 6) / 7;
  bytes.resize((7 * (start + septets.size()) + 7) / 8, 0);
  for (std::size_t i = 0; i < septets.size(); ++i) {
    const std::size_t bit = 7 * (start + i);
    const uint32_t value = static_cast<uint32_t>(septets[i]) << (bit % 8);
    bytes[bit / 8] |= static_cast<uint8_t>(value);
    if (value > 0xFF) {
      bytes[bit / 8 + 1] |= static_cast<uint8_t>(value >> 8);
    }
  }
  if (septetCount != nullptr) {
    *septetCount = start + septets.size();
  }
  return bytes;
}

inline std::vector<uint8_t> Ucs2(std::u16string_view text) {
  std::vector<uint8_t> bytes;
  for (char16_t unit : text) {
    bytes.insert(bytes.end(), {static_cast<uint8_t>(unit >> 8), static_cast<uint8_t>(unit)});
  }
  return bytes;
}

// An SMS-DELIVER from +15555550123 through +15555500000, 2009-05-12 10:30:00.
struct Pdu {
  std::vector<uint8_t> centre = {0x07, 0x91, 0x51, 0x55, 0x55, 0x00, 0x00, 0xF0};
  uint8_t firstOctet = 0x04;
  uint8_t senderDigits = 11;
  uint8_t senderType = 0x91;
  std::vector<uint8_t> sender = {0x51, 0x55, 0x55, 0x05, 0x21, 0xF3};
  uint8_t protocolId = 0;
  std::optional<uint8_t> codingScheme{};  // else that of the user data: UCS2 (8) or septets (0)
  std::vector<uint8_t> timestamp = {0x90, 0x50, 0x21, 0x01, 0x03, 0x00, 0x8A};
  std::vector<uint8_t> septets = Septets("hello");
  std::optional<std::vector<uint8_t>> ucs2{};  // user data bytes instead of septets
  std::vector<uint8_t> header{};               // information elements; sets the header flag
  std::optional<uint8_t> userDataLength{};     // instead of the true one

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> bytes = centre;
    const uint8_t headerFlag = header.empty() ? 0 : 0x40;
    bytes.insert(bytes.end(), {static_cast<uint8_t>(firstOctet | headerFlag), senderDigits, senderType});
    bytes.insert(bytes.end(), sender.begin(), sender.end());
    bytes.insert(bytes.end(), {protocolId, codingScheme.value_or(ucs2 ? 8 : 0)});
    bytes.insert(bytes.end(), timestamp.begin(), timestamp.end());
    std::vector<uint8_t> data;
    if (!header.empty()) {
      data.push_back(static_cast<uint8_t>(header.size()));
      data.insert(data.end(), header.begin(), header.end());
    }
    std::size_t length = 0;
    if (ucs2) {
      data.insert(data.end(), ucs2->begin(), ucs2->end());
      length = data.size();
    } else {
      data = Pack(septets, data, &length);
    }
    bytes.push_back(userDataLength.value_or(static_cast<uint8_t>(length)));
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
  }
};

inline std::string Hex(std::span<const uint8_t> bytes) {
  std::string hex;
  for (uint8_t byte : bytes) {
    hex.append({"0123456789ABCDEF"[byte >> 4], "0123456789ABCDEF"[byte & 0xF]});
  }
  return hex;
}

}  // namespace sms_test
