// SMSParser: decodes one SMS-DELIVER PDU (service-centre address first) as the modem stores it: text
// in the GSM 7-bit default alphabet or in UCS2, with or without a user-data header. It depends on
// nothing but the standard library, so benchmarks and fuzz targets link it alone.
//
// The parser works on its own copy of the message: the span given is the PDU as long as the library
// reported it (1 to 800 bytes); a field that runs past it is refused, never read as zero. Parse stops
// at the first fault and leaves its code in errorCode (0 on success). One parser may be used by one
// thread at a time; distinct parsers may run concurrently.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

class SMSParser {
 public:
  static constexpr std::size_t kBufferLength = 800;

  // Error codes, in the order in which Parse meets them.
  static constexpr int32_t kErrorServiceCentreLength = 2;  // not below the message size
  static constexpr int32_t kErrorSenderBeyondBuffer = 3;   // first octet or sender length/type
  static constexpr int32_t kErrorSenderDigitsPastBuffer = 4;
  static constexpr int32_t kErrorProtocolIdBeyondBuffer = 5;
  static constexpr int32_t kErrorProtocolId = 6;
  static constexpr int32_t kErrorCodingSchemeBeyondBuffer = 7;
  static constexpr int32_t kErrorUserDataBeyondBuffer = 8;
  static constexpr int32_t kErrorCodingScheme = 9;
  static constexpr int32_t kErrorTimestampPastBuffer = 10;
  static constexpr int32_t kErrorServiceCentreType = 11;  // no longer given: any type is read
  static constexpr int32_t kErrorSenderEmpty = 12;
  static constexpr int32_t kErrorFirstOctet = 14;
  static constexpr int32_t kErrorSenderType = 15;
  static constexpr int32_t kErrorSize = 17;  // the reported size is 0 or above the buffer length

  explicit SMSParser(std::span<const uint8_t> message);

  // Fills the fields below; returns errorCode.
  int32_t Parse();

  // Numbers: the semi-octet digits, filler F cut off, without a "+".
  std::u16string serviceCentre;
  std::u16string sender;
  // Service-centre time stamp, each part as two hex digits of the nibble-swapped byte ("09", "05").
  std::u16string year, month, day, hour, minute, second;
  std::u16string timeZone;  // the time-zone byte as stored, in decimal; not applied
  // Seconds since 1970 of the time stamp read as local standard time (years 00-90 are 2000-2090).
  int64_t time = 0;
  // False when the time stamp names a date or time that cannot exist (month 13, hour 24, a hex digit);
  // time is then 0 and the caller supplies its own.
  bool timeValid = true;
  // The text: 7-bit through the default alphabet and its extension table, UCS2 as UTF-16 (an odd
  // byte or an unpaired surrogate is U+FFFD). A user-data header is not part of it.
  std::u16string body;
  // The part of a long message this PDU carries (information element 0x00 or 0x08 of the user-data
  // header); parts is 0 when the PDU is a whole message.
  struct Concatenation {
    uint16_t reference = 0;
    uint8_t parts = 0;
    uint8_t sequence = 0;  // 1 to parts
  };
  Concatenation concatenation;
  // National language shift tables the header asks for (0x25 locking, 0x24 single shift), -1 when
  // none; the body is decoded through the default tables all the same.
  int lockingShiftTable = -1;
  int singleShiftTable = -1;
  int32_t errorCode = 0;

 private:
  int32_t Fail(int32_t code) { return errorCode = code; }
  // The semi-octet digits of count bytes from offset (the caller has checked they fit).
  std::u16string Digits(std::size_t offset, std::size_t count) const;
  void ReadTimestamp(std::size_t offset);
  // Reads the user data whose length byte is at offset; false when it runs past the message.
  bool ReadUserData(std::size_t offset, bool hasHeader, bool ucs2);
  // Reads the information elements of the user-data header; false when one runs past it.
  bool ReadHeader(std::size_t offset, std::size_t length);

  std::array<uint8_t, kBufferLength> buffer_{};
  std::size_t size_ = 0;  // as reported; bytes from here on are not part of the message
};
