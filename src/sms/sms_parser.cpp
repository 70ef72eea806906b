#include "sms/sms_parser.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <ctime>

#include "sms/gsm7_alphabet.h"

namespace {

constexpr uint8_t kInternationalNumber = 0x91;
constexpr uint8_t kSenderTypeNational = 0xC8;
constexpr uint8_t kSmsDeliver = 0x04;
constexpr std::size_t kTimestampLength = 7;

constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

uint8_t SwapNibbles(uint8_t byte) {
  return static_cast<uint8_t>(byte << 4 | byte >> 4);
}

// The number that the leading decimal digits of a two-hex-digit text give ("1A" is 1, "A1" is 0).
int LeadingDecimal(uint8_t swapped) {
  const int tens = swapped >> 4;
  const int ones = swapped & 0xF;
  if (tens > 9) {
    return 0;
  }
  return ones > 9 ? tens : tens * 10 + ones;
}

std::u16string HexPair(uint8_t value) {
  return {kHexDigits[value >> 4], kHexDigits[value & 0xF]};
}

// Days since 1970-01-01 of a proleptic Gregorian date, month 1 to 12.
int64_t DaysFromCivil(int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const int64_t era = (year >= 0 ? year : year - 399) / 400;
  const int64_t yearOfEra = year - era * 400;
  const int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

int DaysInMonth(int64_t year, int month) {
  return static_cast<int>(DaysFromCivil(month == 12 ? year + 1 : year, month == 12 ? 1 : month + 1, 1) -
                          DaysFromCivil(year, month, 1));
}

int64_t UtcSeconds(int64_t year, int month, int64_t day, int64_t hour, int64_t minute, int64_t second) {
  return (DaysFromCivil(year, month, 1) + day - 1) * 86400 + hour * 3600 + minute * 60 + second;
}

// mktime with the daylight-saving flag cleared: the fields read as local standard time.
int64_t StandardMktime(int64_t year, int month, int64_t day, int64_t hour, int64_t minute, int64_t second) {
  std::tm fields{};
  fields.tm_year = static_cast<int>(year - 1900);
  fields.tm_mon = month - 1;
  fields.tm_mday = static_cast<int>(day);
  fields.tm_hour = static_cast<int>(hour);
  fields.tm_min = static_cast<int>(minute);
  fields.tm_sec = static_cast<int>(second);
  fields.tm_isdst = 0;
  return static_cast<int64_t>(std::mktime(&fields));
}

// The local standard offset of each month, learnt from the C runtime once: its mktime reads the zone
// on every call and costs several microseconds. A month whose offset differs between its first and
// last second is never cached, and such dates go to mktime itself. 0 means not known yet; else the
// offset in seconds, shifted left by one, with bit 0 set.
constexpr int64_t kFirstCachedYear = 1900;
constexpr int64_t kCachedYears = 300;
std::atomic<int64_t> monthOffsets[kCachedYears * 12];

// The time of the fields (month 1 to 12, the others already normalised into range or not) read as
// local standard time, as mktime would give it; -1 when mktime cannot represent it.
int64_t LocalStandardTime(int64_t year, int month, int64_t day, int64_t hour, int64_t minute, int64_t second) {
  const int64_t utc = UtcSeconds(year, month, day, hour, minute, second);
  // The calendar month the fields land in after normalisation.
  const int64_t days = utc >= 0 ? utc / 86400 : (utc - 86399) / 86400;
  int64_t landedYear = 1970 + days / 365;
  while (DaysFromCivil(landedYear, 1, 1) > days) {
    --landedYear;
  }
  while (DaysFromCivil(landedYear + 1, 1, 1) <= days) {
    ++landedYear;
  }
  int landedMonth = 12;
  while (landedMonth > 1 && DaysFromCivil(landedYear, landedMonth, 1) > days) {
    --landedMonth;
  }

  const int64_t slot = (landedYear - kFirstCachedYear) * 12 + (landedMonth - 1);
  if (slot < 0 || slot >= kCachedYears * 12) {
    return StandardMktime(year, month, day, hour, minute, second);
  }
  int64_t cached = monthOffsets[slot].load(std::memory_order_relaxed);
  if (cached == 0) {
    const int64_t first = StandardMktime(landedYear, landedMonth, 1, 0, 0, 0);
    const int last = DaysInMonth(landedYear, landedMonth);
    const int64_t end = StandardMktime(landedYear, landedMonth, last, 23, 59, 59);
    const int64_t firstOffset = UtcSeconds(landedYear, landedMonth, 1, 0, 0, 0) - first;
    const int64_t endOffset = UtcSeconds(landedYear, landedMonth, last, 23, 59, 59) - end;
    if (first == -1 || end == -1 || firstOffset != endOffset) {
      return StandardMktime(year, month, day, hour, minute, second);
    }
    cached = firstOffset * 2 + 1;
    monthOffsets[slot].store(cached, std::memory_order_relaxed);
  }
  return utc - (cached - 1) / 2;
}

}  // namespace

SMSParser::SMSParser(std::span<const uint8_t> message) {
  if (!message.empty()) {
    std::memcpy(buffer_.data(), message.data(), std::min(message.size(), kBufferLength));
  }
}

std::u16string SMSParser::Digits(std::size_t offset, std::size_t count) const {
  std::u16string digits(2 * count, u'\0');
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t swapped = SwapNibbles(buffer_[offset + i]);
    digits[2 * i] = kHexDigits[swapped >> 4];
    digits[2 * i + 1] = kHexDigits[swapped & 0xF];
  }
  const std::size_t kept = digits.find_last_not_of(u'F');
  digits.resize(kept == std::u16string::npos ? 0 : kept + 1);
  return digits;
}

void SMSParser::ReadTimestamp(std::size_t offset) {
  int parts[6];
  std::u16string* texts[6] = {&year, &month, &day, &hour, &minute, &second};
  for (int i = 0; i < 6; ++i) {
    const uint8_t swapped = SwapNibbles(buffer_[offset + i]);
    *texts[i] = HexPair(swapped);
    parts[i] = LeadingDecimal(swapped);
  }
  const uint8_t zone = buffer_[offset + 6];
  timeZone.clear();
  if (zone >= 100) {
    timeZone += static_cast<char16_t>(u'0' + zone / 100);
  }
  if (zone >= 10) {
    timeZone += static_cast<char16_t>(u'0' + zone / 10 % 10);
  }
  timeZone += static_cast<char16_t>(u'0' + zone % 10);

  // Two-digit years below 91 are this century's. The month may be 0 ("00"): it then counts back
  // into the previous year, as mktime normalises it.
  int64_t fullYear = 1900 + parts[0] + (parts[0] < 91 ? 100 : 0);
  int month0 = parts[1] - 1;
  if (month0 < 0) {
    month0 += 12;
    --fullYear;
  }
  fullYear += month0 / 12;
  month0 %= 12;
  time = LocalStandardTime(fullYear, month0 + 1, parts[2], parts[3], parts[4], parts[5]);
}

bool SMSParser::DecodeBody(std::size_t offset, unsigned septets) {
  const std::size_t bytes = (7 * static_cast<std::size_t>(septets) + 7) / 8;
  if (offset > kBufferLength || bytes > kBufferLength - offset) {
    return false;
  }
  char16_t text[256];
  std::size_t length = 0;
  const uint8_t* next = buffer_.data() + offset;
  uint32_t bits = 0;
  int bitCount = 0;
  bool escaped = false;
  for (unsigned i = 0; i < septets; ++i) {
    if (bitCount < 7) {
      bits |= static_cast<uint32_t>(*next++) << bitCount;
      bitCount += 8;
    }
    const uint8_t septet = bits & 0x7F;
    bits >>= 7;
    bitCount -= 7;
    if (escaped) {
      const char16_t extension = gsm7::ExtensionCharacter(septet);
      text[length++] = extension != 0 ? extension : gsm7::kDefaultAlphabet[septet];
      escaped = false;
    } else if (septet == gsm7::kEscape) {
      escaped = true;  // a trailing escape is dropped
    } else {
      text[length++] = gsm7::kDefaultAlphabet[septet];
    }
  }
  body.assign(text, length);
  return true;
}

int32_t SMSParser::Parse() {
  errorCode = 0;
  const std::size_t centreLength = buffer_[0];
  if (centreLength == 0 || centreLength >= kBufferLength) {
    return Fail(kErrorServiceCentreLength);
  }
  if (buffer_[1] != kInternationalNumber) {
    return Fail(kErrorServiceCentreType);
  }
  serviceCentre = Digits(2, centreLength - 1);

  const std::size_t firstOctet = centreLength + 1;
  if (firstOctet >= kBufferLength) {
    return Fail(kErrorSenderBeyondBuffer);
  }
  if (buffer_[firstOctet] != kSmsDeliver) {
    return Fail(kErrorFirstOctet);
  }
  const std::size_t senderType = firstOctet + 2;
  if (senderType >= kBufferLength) {
    return Fail(kErrorSenderBeyondBuffer);
  }
  if (buffer_[senderType] != kInternationalNumber && buffer_[senderType] != kSenderTypeNational) {
    return Fail(kErrorSenderType);
  }
  const std::size_t senderDigits = buffer_[firstOctet + 1];
  if (senderDigits == 0) {
    return Fail(kErrorSenderEmpty);
  }
  const std::size_t senderBytes = (senderDigits + 1) / 2;
  if (senderType + 1 + senderBytes > kBufferLength) {
    return Fail(kErrorSenderDigitsPastBuffer);
  }
  sender = Digits(senderType + 1, senderBytes);
  if (sender.empty()) {
    return Fail(kErrorSenderEmpty);
  }

  const std::size_t protocolId = senderType + 1 + senderBytes;
  if (protocolId >= kBufferLength) {
    return Fail(kErrorProtocolIdBeyondBuffer);
  }
  if (buffer_[protocolId] != 0) {
    return Fail(kErrorProtocolId);
  }
  const std::size_t codingScheme = protocolId + 1;
  if (codingScheme >= kBufferLength) {
    return Fail(kErrorCodingSchemeBeyondBuffer);
  }
  if (buffer_[codingScheme] != 0) {
    return Fail(kErrorCodingScheme);
  }

  const std::size_t timestamp = codingScheme + 1;
  if (timestamp + kTimestampLength > kBufferLength) {
    return Fail(kErrorTimestampPastBuffer);
  }
  ReadTimestamp(timestamp);

  const std::size_t userDataLength = timestamp + kTimestampLength;
  if (userDataLength >= kBufferLength || !DecodeBody(userDataLength + 1, buffer_[userDataLength])) {
    return Fail(kErrorUserDataBeyondBuffer);
  }
  return errorCode;
}
