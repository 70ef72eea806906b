// The SMS decoder: refusals and their codes, addresses, time stamps, the GSM alphabet, and the shared
// corpus of real-looking PDUs. Time stamps are checked in a zone with daylight saving time, which the
// decoder must not apply.
#include "sms/sms_parser.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/calendar.h"
#include "platform/text.h"

namespace {

class EasternStandardTime : public testing::Environment {
 public:
  void SetUp() override {
    platform::SetTimeZone("EST5EDT");
  }
};
const testing::Environment* const kZone = testing::AddGlobalTestEnvironment(new EasternStandardTime);

std::vector<uint8_t> Pack(const std::vector<uint8_t>& septets) {
  std::vector<uint8_t> bytes;
  uint32_t bits = 0;
  int count = 0;
  for (uint8_t septet : septets) {
    bits |= static_cast<uint32_t>(septet) << count;
    count += 7;
    for (; count >= 8; count -= 8, bits >>= 8) {
      bytes.push_back(static_cast<uint8_t>(bits));
    }
  }
  if (count > 0) {
    bytes.push_back(static_cast<uint8_t>(bits));
  }
  return bytes;
}

std::vector<uint8_t> Septets(std::string_view ascii) {
  return {ascii.begin(), ascii.end()};
}

// An SMS-DELIVER from +15555550123 through +15555500000, 2009-05-12 10:30:00.
struct Pdu {
  std::vector<uint8_t> centre = {0x07, 0x91, 0x51, 0x55, 0x55, 0x00, 0x00, 0xF0};
  uint8_t firstOctet = 0x04;
  uint8_t senderDigits = 11;
  uint8_t senderType = 0x91;
  std::vector<uint8_t> sender = {0x51, 0x55, 0x55, 0x05, 0x21, 0xF3};
  uint8_t protocolId = 0;
  uint8_t codingScheme = 0;
  std::vector<uint8_t> timestamp = {0x90, 0x50, 0x21, 0x01, 0x03, 0x00, 0x8A};
  std::vector<uint8_t> septets = Septets("hello");

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> bytes = centre;
    bytes.insert(bytes.end(), {firstOctet, senderDigits, senderType});
    bytes.insert(bytes.end(), sender.begin(), sender.end());
    bytes.insert(bytes.end(), {protocolId, codingScheme});
    bytes.insert(bytes.end(), timestamp.begin(), timestamp.end());
    bytes.push_back(static_cast<uint8_t>(septets.size()));
    const auto data = Pack(septets);
    bytes.insert(bytes.end(), data.begin(), data.end());
    return bytes;
  }
};

SMSParser Parsed(const std::vector<uint8_t>& bytes) {
  SMSParser parser(bytes);
  parser.Parse();
  return parser;
}

struct PduRow {
  const char* label;
  std::function<void(Pdu&)> change;
  int32_t error;
  int64_t time = -1;  // checked unless -1
};

std::function<void(Pdu&)> Stamp(std::vector<uint8_t> stamp) {
  return [stamp](Pdu& p) { p.timestamp = stamp; };
}

class SMSParserPduTest : public testing::TestWithParam<PduRow> {};

// Time stamps are read as local standard time.
TEST_P(SMSParserPduTest, GivesTheFirstFaultsCodeAndTheTime) {
  Pdu pdu;
  GetParam().change(pdu);
  const SMSParser parser = Parsed(pdu.Bytes());
  EXPECT_EQ(parser.errorCode, GetParam().error);
  if (GetParam().time != -1) {
    EXPECT_EQ(parser.time, GetParam().time);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SMSParserPduTest, testing::Values(
    PduRow{"Ucs2", [](Pdu& p) { p.codingScheme = 8; }, 9},
    PduRow{"AlphanumericSender", [](Pdu& p) { p.senderType = 0xD0; }, 15},
    PduRow{"UserDataHeader", [](Pdu& p) { p.firstOctet = 0x44; }, 14},
    PduRow{"OddSenderLosesOnlyItsFiller", [](Pdu& p) { p.senderDigits = 1; p.sender = {0xF1}; }, 0},
    PduRow{"SenderAllFiller", [](Pdu& p) { p.senderDigits = 3; p.sender = {0xFF, 0xFF}; }, 12},
    PduRow{"NoServiceCentre", [](Pdu& p) { p.centre = {0x00}; }, 2},
    PduRow{"NationalServiceCentre", [](Pdu& p) { p.centre[1] = 0x81; }, 11},
    PduRow{"ProtocolIdentifier", [](Pdu& p) { p.protocolId = 0x41; }, 6},
    // The first fault wins: a bad sender type is met before the coding scheme.
    PduRow{"SenderTypeBeforeCodingScheme", [](Pdu& p) { p.senderType = 0xD0; p.codingScheme = 8; }, 15},
    PduRow{"NationalSenderIsAccepted", [](Pdu& p) { p.senderType = 0xC8; }, 0},
    PduRow{"Year90IsThisCentury", Stamp({0x09, 0x70, 0x40, 0x21, 0x00, 0x00, 0x00}), 0, 3802870800},
    PduRow{"Year98", Stamp({0x89, 0x21, 0x13, 0x32, 0x95, 0x95, 0x00}), 0, 915166799},
    // Month 00 counts back into December, as the C runtime's normalisation does: 2009-12-01.
    PduRow{"MonthZero", Stamp({0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00}), 0, 1259643600},
    // A hex digit ends the number: hour "1A" is 1, minute "A1" is 0.
    PduRow{"HexDigits", Stamp({0x90, 0x50, 0x21, 0xA1, 0x1A, 0x00, 0x00}), 0, 1242108000}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// Every character of the default table once, then every character of the extension table.
std::vector<uint8_t> BothTables() {
  std::vector<uint8_t> septets;
  for (uint8_t septet = 0; septet < 128; ++septet) {
    if (septet != 0x1B) {
      septets.push_back(septet);
    }
  }
  for (uint8_t code : {0x0A, 0x14, 0x28, 0x29, 0x2F, 0x3C, 0x3D, 0x3E, 0x40, 0x65}) {
    septets.insert(septets.end(), {0x1B, code});
  }
  return septets;
}

struct BodyRow {
  const char* label;
  std::vector<uint8_t> septets;
  std::u16string body;
};

class SMSParserBodyTest : public testing::TestWithParam<BodyRow> {};

TEST_P(SMSParserBodyTest, Decodes) {
  Pdu pdu;
  pdu.septets = GetParam().septets;
  EXPECT_EQ(Parsed(pdu.Bytes()).body, GetParam().body);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SMSParserBodyTest,
    testing::Values(BodyRow{"BothTables", BothTables(),
                            u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
                            u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà"
                            u"\f^{}\\[~]|€"},
                    BodyRow{"AtSignDoesNotEndTheBody", {0x00, 0x41, 0x00}, u"@A@"},
                    BodyRow{"CodeWithoutExtensionIsItsDefault", {0x1B, 0x41, 0x1B, 0x04}, u"Aè"},
                    BodyRow{"TrailingEscapeIsDropped", {0x41, 0x1B}, u"A"},
                    BodyRow{"DoubleEscapeIsASpace", {0x1B, 0x1B, 0x41}, u" A"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SMSParserTest, LengthsPastTheMessageReadZerosInsideTheBuffer) {
  // Largest lengths a PDU can state: 255 bytes of service centre, 255 sender digits, 255 septets,
  // in a 20-byte message. Everything read lies in the buffer; what the message lacks reads as zero.
  std::vector<uint8_t> bytes(20, 0x11);
  bytes[0] = 0xFF;
  bytes[1] = 0x91;
  EXPECT_EQ(Parsed(bytes).errorCode, 14);  // the first octet is a zero past the message

  EXPECT_EQ(Parsed({}).errorCode, 2);

  Pdu pdu;
  std::vector<uint8_t> shortMessage = pdu.Bytes();
  shortMessage[shortMessage.size() - 5 - 1] = 255;  // 5 septets said to be 255
  const SMSParser parser = Parsed(shortMessage);
  ASSERT_EQ(parser.errorCode, 0);
  EXPECT_EQ(parser.body.size(), 255u);
  EXPECT_EQ(parser.body.substr(0, 6), u"hello@");

  // Input beyond the buffer is not seen: the 801st byte cannot change the result.
  std::vector<uint8_t> huge = pdu.Bytes();
  huge.resize(SMSParser::kBufferLength + 100, 0x7F);
  EXPECT_EQ(Parsed(huge).errorCode, 0);
}

std::vector<uint8_t> FromHex(const std::string& hex) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

TEST(SMSParserTest, DecodesTheSharedCorpus) {
  std::ifstream corpus(VESK_SMS_CORPUS);
  if (!corpus) {
    GTEST_SKIP() << "no corpus at " << VESK_SMS_CORPUS;
  }
  std::string line;
  int decoded = 0;
  while (std::getline(corpus, line)) {
    std::istringstream fields(line);
    std::string pduHex, sender, stamp, textHex;
    std::getline(fields, pduHex, '\t');
    std::getline(fields, sender, '\t');
    std::getline(fields, stamp, '\t');
    std::getline(fields, textHex, '\t');
    const std::vector<uint8_t> pdu = FromHex(pduHex);
    const SMSParser parser = Parsed(pdu);
    if (pdu[pdu[0] + 1] != 0x04) {
      EXPECT_EQ(parser.errorCode, 14) << pduHex;
      continue;
    }
    ASSERT_EQ(parser.errorCode, 0) << pduHex;
    const std::vector<uint8_t> text = FromHex(textHex);
    EXPECT_EQ(parser.body, platform::Widen(std::string(text.begin(), text.end()))) << pduHex;
    EXPECT_EQ(u"+" + parser.sender, platform::Widen(sender)) << pduHex;
    std::tm fields_{};
    ASSERT_EQ(std::sscanf(stamp.c_str(), "%d-%d-%dT%d:%d:%d", &fields_.tm_year, &fields_.tm_mon,
                          &fields_.tm_mday, &fields_.tm_hour, &fields_.tm_min, &fields_.tm_sec),
              6);
    fields_.tm_year -= 1900;
    fields_.tm_mon -= 1;
    fields_.tm_isdst = 0;
    EXPECT_EQ(parser.time, static_cast<int64_t>(std::mktime(&fields_))) << stamp;
    ++decoded;
  }
  EXPECT_EQ(decoded, 610);
}

}  // namespace
