// The device, network, SIM and profile state that the device manager gathers and the host reads.
//
// Plain data, all zero when value-initialised (`CachedCellularInfo info{};`). CCellularSDK keeps one
// under its info lock; every read or write of a field happens under that lock. Text fields are
// zero-terminated UTF-16 arrays; the helpers below never write past them and always terminate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Elements of a cached text field (at most 259 characters and the terminator).
inline constexpr std::size_t kCachedTextLength = 260;
// Elements of a text field of the profile records (at most 254 characters and the terminator).
inline constexpr std::size_t kProfileTextLength = 255;

using CachedText = char16_t[kCachedTextLength];
using ProfileText = char16_t[kProfileTextLength];

// The modem's default data profile.
struct CachedDefaultProfile {
  uint8_t autoconnect;  // 0 or 1
  uint8_t connected;    // 0 or 1
  ProfileText profileName;
  ProfileText apn;
  ProfileText userName;
};

// The profile of the data session being started.
struct CachedActiveConnection {
  uint8_t valid;
  ProfileText name;  // the access point name, or "CDMA" on a CDMA device
  ProfileText userName;
};

struct CachedCellularInfo {
  CachedText adapterText;
  uint32_t technology;  // TECHNOLOGY_UNKNOWN, TECHNOLOGY_CDMA, TECHNOLOGY_UMTS
  CachedText modelDescription;
  CachedText manufacturer;
  CachedText portText;
  CachedText firmwareRevision;
  CachedText firmwareRevisionTag;
  CachedText voiceNumber;
  CachedText imsi;
  CachedText iccid;
  CachedText homeNetworkCode;  // MCC then MNC, decimal, no padding
  CachedText homeNetworkName;
  CachedText servingNetworkCode;
  CachedText servingNetworkName;
  CachedText carrierName;
  CachedText serialNumber;
  CachedDefaultProfile defaultProfile;
  CachedActiveConnection activeConnection;
  uint32_t simStatusBits;
  int32_t signalDbm;
  int32_t signalPercent;
  uint64_t bytesTransmitted;
  uint64_t bytesReceived;
  int32_t connectionCapability;  // a NORMAL_SERVICETYPE_* value
  uint32_t deviceStateBits;
};

// Copies text into a field of `capacity` elements, cutting it to capacity - 1 characters and
// terminating it. A null text stores an empty one.
void CopyCachedText(char16_t* field, std::size_t capacity, const char16_t* text);
void CopyCachedText(char16_t* field, std::size_t capacity, std::u16string_view text);

template <std::size_t N>
void CopyCachedText(char16_t (&field)[N], const char16_t* text) {
  CopyCachedText(field, N, text);
}
template <std::size_t N>
void CopyCachedText(char16_t (&field)[N], std::u16string_view text) {
  CopyCachedText(field, N, text);
}

// The text of a zero-terminated field (never reads past the field).
template <std::size_t N>
std::u16string_view CachedTextView(const char16_t (&field)[N]) {
  std::size_t length = 0;
  while (length < N && field[length] != u'\0') {
    ++length;
  }
  return std::u16string_view(field, length);
}

// The first two tokens of a firmware revision, separated by runs of '[' and ']' ("R1 [tag]" gives
// "R1 " and "tag"); a missing token is empty.
void SplitFirmwareRevision(std::u16string_view text, std::u16string* revision, std::u16string* tag);

// MCC and MNC written one after the other in decimal without padding: (310, 4) gives "3104".
std::u16string FormatNetworkCode(uint16_t mcc, uint16_t mnc);
