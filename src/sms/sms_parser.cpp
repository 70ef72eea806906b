#include "sms/sms_parser.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>

#include "platform/calendar.h"
#include "sms/gsm7_alphabet.h"

namespace {

constexpr std::size_t kTimestampLength = 7;
constexpr uint8_t kTypeOfNumberAlphanumeric = 5;
constexpr uint8_t kTypeOfNumberReserved = 7;
constexpr char16_t kReplacement = u'\uFFFD';

// Semi-octets of an address, TS 23.040 9.1.2.3: 1010 to 1110 are '*', '#', 'a', 'b', 'c'; 1111 is the
// filler, kept as 'F' so that only trailing fillers are cut.
constexpr char16_t kAddressDigits[] = u"0123456789*#abcF";
constexpr char16_t kHexDigits[] = u"0123456789ABCDEF";

uint8_t SwapNibbles(uint8_t byte) {
  return static_cast<uint8_t>(byte << 4 | byte >> 4);
}

std::u16string HexPair(uint8_t value) {
  return {kHexDigits[value >> 4], kHexDigits[value & 0xF]};
}

enum class Alphabet { kGsm7, kUcs2, kData };

// TS 23.038 section 4. Reserved codings read as the default alphabet, as the standard asks of a
// receiver; 8-bit data and compressed text have no characters to show.
Alphabet AlphabetOf(uint8_t scheme) {
  const int group = scheme >> 4;
  if (group <= 0x7) {  // general data coding, and the same marked for automatic deletion
    const int alphabet = scheme >> 2 & 3;
    if ((scheme & 0x20) != 0 || alphabet == 1) {  // compressed, or 8-bit data
      return Alphabet::kData;
    }
    return alphabet == 2 ? Alphabet::kUcs2 : Alphabet::kGsm7;
  }
  if (group == 0xE) {  // message waiting, store, UCS2
    return Alphabet::kUcs2;
  }
  if (group == 0xF) {  // data coding and message class
    return (scheme & 0x04) != 0 ? Alphabet::kData : Alphabet::kGsm7;
  }
  return Alphabet::kGsm7;  // reserved groups 1000 to 1011; message waiting, discard or store
}

// TS 23.040 9.2.3.9: plain and telematic (0x00 to 0x3F), replace short message types 1 to 7 and
// return call. Type 0, depersonalisation, SIM data download and the reserved values are not for
// the user to read.
bool IsReadableProtocol(uint8_t protocolId) {
  return protocolId <= 0x3F || (protocolId >= 0x41 && protocolId <= 0x47) || protocolId == 0x5F;
}

// Septets first to end - 1 of packed 7-bit data through the default alphabet and its extension
// table, into out (room for end - first characters); the caller has checked the bytes exist.
std::size_t UnpackText(const uint8_t* data, unsigned first, unsigned end, char16_t* out) {
  if (first >= end) {
    return 0;
  }
  std::size_t length = 0;
  const uint8_t* next = data + 7 * static_cast<std::size_t>(first) / 8;
  uint32_t bits = 0;
  int bitCount = 0;
  if (const int skip = static_cast<int>(7 * first % 8); skip != 0) {
    bits = *next++ >> skip;
    bitCount = 8 - skip;
  }
  bool escaped = false;
  for (unsigned i = first; i < end; ++i) {
    if (bitCount < 7) {
      bits |= static_cast<uint32_t>(*next++) << bitCount;
      bitCount += 8;
    }
    const uint8_t septet = bits & 0x7F;
    bits >>= 7;
    bitCount -= 7;
    if (escaped) {
      const char16_t extension = gsm7::ExtensionCharacter(septet);
      out[length++] = extension != 0 ? extension : gsm7::kDefaultAlphabet[septet];
      escaped = false;
    } else if (septet == gsm7::kEscape) {
      escaped = true;  // a trailing escape is dropped
    } else {
      out[length++] = gsm7::kDefaultAlphabet[septet];
    }
  }
  return length;
}

// UTF-16 big-endian into out (room for (count + 1) / 2 units); a lone surrogate or a last odd byte
// becomes U+FFFD.
std::size_t CopyUcs2(const uint8_t* data, std::size_t count, char16_t* out) {
  std::size_t length = 0;
  std::size_t i = 0;
  for (; i + 1 < count; i += 2) {
    const auto unit = static_cast<char16_t>(data[i] << 8 | data[i + 1]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < count) {
      const auto low = static_cast<char16_t>(data[i + 2] << 8 | data[i + 3]);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out[length++] = unit;
        out[length++] = low;
        i += 2;
        continue;
      }
    }
    out[length++] = unit >= 0xD800 && unit <= 0xDFFF ? kReplacement : unit;
  }
  if (i < count) {
    out[length++] = kReplacement;
  }
  return length;
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

int64_t UtcSeconds(int64_t year, int month, int day, int hour, int minute, int second) {
  return DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
}

// mktime with the daylight-saving flag cleared: the fields read as local standard time.
int64_t StandardMktime(int64_t year, int month, int day, int hour, int minute, int second) {
  std::tm fields{};
  fields.tm_year = static_cast<int>(year - 1900);
  fields.tm_mon = month - 1;
  fields.tm_mday = day;
  fields.tm_hour = hour;
  fields.tm_min = minute;
  fields.tm_sec = second;
  fields.tm_isdst = 0;
  return platform::FromLocalTime(&fields);
}

// The local standard offset of each month of the years a time stamp can name (1991 to 2090), learnt
// from the C runtime: its mktime costs several microseconds. The table belongs to one zone, the TZ
// text it was learnt under; a parse that finds another clears it. The lock covers the whole lookup so
// that an offset learnt under the old zone is never stored after the clearing. A month whose offset
// differs between its first and last second is never cached; its dates go to mktime itself.
class MonthOffsets {
 public:
  int64_t LocalStandardTime(int64_t year, int month, int day, int hour, int minute, int second) {
    std::lock_guard<std::mutex> lock(lock_);
    const char* zone = std::getenv("TZ");
    if ((zone != nullptr) != zoneSet_ || (zone != nullptr && zone_ != zone)) {
      zoneSet_ = zone != nullptr;
      zone_ = zone != nullptr ? zone : "";
      std::fill(std::begin(offsets_), std::end(offsets_), 0);
    }
    int64_t& cached = offsets_[(year - kFirstYear) * 12 + (month - 1)];
    if (cached == 0) {
      const int last = DaysInMonth(year, month);
      const int64_t first = StandardMktime(year, month, 1, 0, 0, 0);
      const int64_t end = StandardMktime(year, month, last, 23, 59, 59);
      const int64_t firstOffset = UtcSeconds(year, month, 1, 0, 0, 0) - first;
      const int64_t endOffset = UtcSeconds(year, month, last, 23, 59, 59) - end;
      if (first == -1 || end == -1 || firstOffset != endOffset) {
        return StandardMktime(year, month, day, hour, minute, second);
      }
      cached = firstOffset * 2 + 1;
    }
    return UtcSeconds(year, month, day, hour, minute, second) - (cached - 1) / 2;
  }

  static constexpr int64_t kFirstYear = 1991;

 private:
  std::mutex lock_;
  std::string zone_;
  bool zoneSet_ = false;
  // 0 when not known yet; else the offset in seconds, shifted left by one, with bit 0 set.
  int64_t offsets_[100 * 12] = {};
};

MonthOffsets& Offsets() {
  static MonthOffsets offsets;
  return offsets;
}

}  // namespace

SMSParser::SMSParser(std::span<const uint8_t> message) : size_(message.size()) {
  if (!message.empty()) {
    std::memcpy(buffer_.data(), message.data(), std::min(message.size(), kBufferLength));
  }
}

std::u16string SMSParser::Digits(std::size_t offset, std::size_t count) const {
  std::u16string digits(2 * count, u'\0');
  for (std::size_t i = 0; i < count; ++i) {
    const uint8_t byte = buffer_[offset + i];
    digits[2 * i] = kAddressDigits[byte & 0xF];
    digits[2 * i + 1] = kAddressDigits[byte >> 4];
  }
  const std::size_t kept = digits.find_last_not_of(u'F');
  digits.resize(kept == std::u16string::npos ? 0 : kept + 1);
  return digits;
}

void SMSParser::ReadTimestamp(std::size_t offset) {
  int parts[6];
  bool decimal = true;
  std::u16string* texts[6] = {&year, &month, &day, &hour, &minute, &second};
  for (int i = 0; i < 6; ++i) {
    const uint8_t swapped = SwapNibbles(buffer_[offset + i]);
    *texts[i] = HexPair(swapped);
    decimal = decimal && (swapped >> 4) <= 9 && (swapped & 0xF) <= 9;
    parts[i] = (swapped >> 4) * 10 + (swapped & 0xF);
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

  // Two-digit years below 91 are this century's. A date that cannot exist is not rolled into
  // another one: the caller is told, and uses the time it read the message instead.
  const int64_t fullYear = 1900 + parts[0] + (parts[0] < 91 ? 100 : 0);
  timeValid = decimal && parts[1] >= 1 && parts[1] <= 12 && parts[2] >= 1 &&
              parts[2] <= DaysInMonth(fullYear, parts[1]) && parts[3] < 24 && parts[4] < 60 && parts[5] < 60;
  time =
      timeValid ? Offsets().LocalStandardTime(fullYear, parts[1], parts[2], parts[3], parts[4], parts[5]) : 0;
}

bool SMSParser::ReadHeader(std::size_t offset, std::size_t length) {
  const std::size_t end = offset + length;
  for (std::size_t element = offset; element < end;) {
    if (end - element < 2 || buffer_[element + 1] > end - element - 2) {
      return false;
    }
    const uint8_t* value = &buffer_[element + 2];
    const uint8_t valueLength = buffer_[element + 1];
    Concatenation part;
    // TS 23.040 9.2.3.24: a repeated element counts in its last occurrence; a concatenation element
    // with parts or sequence 0, or sequence past parts, is ignored.
    switch (buffer_[element]) {
      case 0x00:
        if (valueLength == 3) {
          part = {value[0], value[1], value[2]};
        }
        break;
      case 0x08:
        if (valueLength == 4) {
          part = {static_cast<uint16_t>(value[0] << 8 | value[1]), value[2], value[3]};
        }
        break;
      case 0x24:
        if (valueLength == 1) {
          singleShiftTable = value[0];
        }
        break;
      case 0x25:
        if (valueLength == 1) {
          lockingShiftTable = value[0];
        }
        break;
      default:
        break;
    }
    if (part.parts != 0 && part.sequence != 0 && part.sequence <= part.parts) {
      concatenation = part;
    }
    element += 2 + valueLength;
  }
  return true;
}

bool SMSParser::ReadUserData(std::size_t offset, bool hasHeader, bool ucs2) {
  if (offset >= size_) {
    return false;
  }
  const unsigned length = buffer_[offset];  // septets, or bytes in UCS2
  const std::size_t data = offset + 1;
  const std::size_t bytes = ucs2 ? length : (7 * std::size_t{length} + 7) / 8;
  if (bytes > size_ - data) {
    return false;
  }
  std::size_t headerBytes = 0;
  if (hasHeader) {
    if (bytes == 0) {
      return false;
    }
    headerBytes = std::size_t{buffer_[data]} + 1;
    if (headerBytes > bytes || !ReadHeader(data + 1, headerBytes - 1)) {
      return false;
    }
  }
  char16_t text[256];
  std::size_t textLength = 0;
  if (ucs2) {
    textLength = CopyUcs2(&buffer_[data + headerBytes], bytes - headerBytes, text);
  } else {
    // TS 23.040 9.2.3.24: the text starts at the first septet boundary after the header.
    const auto headerSeptets = static_cast<unsigned>((8 * headerBytes + 6) / 7);
    if (headerSeptets > length) {
      return false;
    }
    textLength = UnpackText(&buffer_[data], headerSeptets, length, text);
  }
  body.assign(text, textLength);
  return true;
}

int32_t SMSParser::Parse() {
  errorCode = 0;
  serviceCentre.clear();
  sender.clear();
  body.clear();
  time = 0;
  timeValid = true;
  concatenation = {};
  lockingShiftTable = -1;
  singleShiftTable = -1;
  if (size_ == 0 || size_ > kBufferLength) {
    return Fail(kErrorSize);
  }
  // Any type of address: modems store national and unknown service-centre types too, and some store
  // none at all (length 0).
  const std::size_t centreLength = buffer_[0];
  if (centreLength >= size_) {
    return Fail(kErrorServiceCentreLength);
  }
  if (centreLength > 1) {
    serviceCentre = Digits(2, centreLength - 1);
  }

  // Of the first octet only the message type matters: a user-data header is read below, and the
  // more-messages, loop-prevention, status-report and reply-path flags change nothing here.
  const std::size_t firstOctet = centreLength + 1;
  if (firstOctet >= size_) {
    return Fail(kErrorSenderBeyondBuffer);
  }
  if ((buffer_[firstOctet] & 0x03) != 0) {
    return Fail(kErrorFirstOctet);
  }
  const bool hasHeader = (buffer_[firstOctet] & 0x40) != 0;
  const std::size_t senderType = firstOctet + 2;
  if (senderType >= size_) {
    return Fail(kErrorSenderBeyondBuffer);
  }
  const uint8_t typeOfNumber = buffer_[senderType] >> 4 & 7;
  if (typeOfNumber == kTypeOfNumberReserved) {
    return Fail(kErrorSenderType);
  }
  const std::size_t senderDigits = buffer_[firstOctet + 1];
  if (senderDigits == 0) {
    return Fail(kErrorSenderEmpty);
  }
  const std::size_t senderBytes = (senderDigits + 1) / 2;
  if (senderType + 1 + senderBytes > size_) {
    return Fail(kErrorSenderDigitsPastBuffer);
  }
  if (typeOfNumber == kTypeOfNumberAlphanumeric) {
    // The length counts semi-octets here too; the text is as many whole septets as they hold.
    char16_t text[256];
    const auto septets = static_cast<unsigned>(senderDigits * 4 / 7);
    sender.assign(text, UnpackText(&buffer_[senderType + 1], 0, septets, text));
  } else {
    sender = Digits(senderType + 1, senderBytes);
  }
  if (sender.empty()) {
    return Fail(kErrorSenderEmpty);
  }

  const std::size_t protocolId = senderType + 1 + senderBytes;
  if (protocolId >= size_) {
    return Fail(kErrorProtocolIdBeyondBuffer);
  }
  if (!IsReadableProtocol(buffer_[protocolId])) {
    return Fail(kErrorProtocolId);
  }
  const std::size_t codingScheme = protocolId + 1;
  if (codingScheme >= size_) {
    return Fail(kErrorCodingSchemeBeyondBuffer);
  }
  const Alphabet alphabet = AlphabetOf(buffer_[codingScheme]);
  if (alphabet == Alphabet::kData) {
    return Fail(kErrorCodingScheme);
  }

  const std::size_t timestamp = codingScheme + 1;
  if (timestamp + kTimestampLength > size_) {
    return Fail(kErrorTimestampPastBuffer);
  }
  ReadTimestamp(timestamp);

  if (!ReadUserData(timestamp + kTimestampLength, hasHeader, alphabet == Alphabet::kUcs2)) {
    return Fail(kErrorUserDataBeyondBuffer);
  }
  return errorCode;
}
