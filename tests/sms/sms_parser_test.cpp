// The SMS decoder: refusals and their codes, addresses, coding schemes, user-data headers, time
// stamps, the GSM alphabet and UCS2, messages cut short, and the shared corpus of real-looking PDUs. Time
// stamps are checked in a zone with daylight saving time, which the decoder must not apply.
#include "sms/sms_parser.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <functional>
#include <iomanip>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "platform/calendar.h"
#include "platform/text.h"
#include "tests/sms/deliver_pdu.h"

namespace {

class EasternStandardTime : public testing::Environment {
 public:
  void SetUp() override { platform::SetTimeZone("EST5EDT"); }
};
const testing::Environment* const kZone = testing::AddGlobalTestEnvironment(new EasternStandardTime);

using namespace sms_test;

SMSParser Parsed(const std::vector<uint8_t>& bytes) {
  SMSParser parser(bytes);
  parser.Parse();
  return parser;
}

// A change to the PDU and what it gives; the text and the rest are checked only on success.
struct PduRow {
  std::string label;
  std::function<void(Pdu&)> change;
  int32_t error = 0;
  std::u16string body = u"hello";
  std::u16string sender = u"15555550123";
  std::u16string serviceCentre = u"15555500000";
  int64_t time = 1242142200;  // 0: the time stamp cannot exist
  SMSParser::Concatenation concatenation = {};
  int lockingShiftTable = -1;
  int singleShiftTable = -1;
  friend void PrintTo(const PduRow& row, std::ostream* out) { *out << row.label; }
};

class SMSParserPduTest : public testing::TestWithParam<PduRow> {};
const testing::PrintToStringParamName kRowName;  // the row's label

// Time stamps are read as local standard time. No cut of a message that reads gives text.
TEST_P(SMSParserPduTest, GivesTheFirstFaultsCodeOrTheMessage) {
  const PduRow& row = GetParam();
  Pdu pdu;
  row.change(pdu);
  const std::vector<uint8_t> bytes = pdu.Bytes();
  const SMSParser parser = Parsed(bytes);
  ASSERT_EQ(parser.errorCode, row.error);
  if (row.error != 0) {
    return;
  }
  const auto decoded = [](const auto& m) {  // the parser and the row name their fields alike
    return std::tuple(m.body, m.sender, m.serviceCentre, m.time, m.concatenation.reference,
                      m.concatenation.parts, m.concatenation.sequence, m.lockingShiftTable,
                      m.singleShiftTable);
  };
  EXPECT_EQ(decoded(parser), decoded(row));
  EXPECT_EQ(parser.timeValid, row.time != 0);
  for (std::size_t size = 1; size < bytes.size(); ++size) {
    SMSParser cut(std::span(bytes.data(), size));
    EXPECT_NE(cut.Parse(), 0) << size << " of " << bytes.size();
    EXPECT_TRUE(cut.body.empty());
  }
}

PduRow FirstOctet(uint8_t octet, int32_t error, std::vector<uint8_t> header = {}) {
  return {"0x" + Hex(std::vector{octet}),
          [=](Pdu& p) {
            p.firstOctet = octet & ~0x40;
            p.header = header;
          },
          error};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(FirstOctets, SMSParserPduTest, testing::Values(
    FirstOctet(0x04, 0), FirstOctet(0x00, 0), FirstOctet(0x24, 0), FirstOctet(0x84, 0),
    FirstOctet(0x44, 0, {0x70, 0x00}), FirstOctet(0x64, 0, {0x70, 0x00}),
    FirstOctet(0x01, 14), FirstOctet(0x06, 14), FirstOctet(0x47, 14, {0x70, 0x00})), kRowName);
// clang-format on

PduRow ServiceCentre(std::string label, std::vector<uint8_t> centre, std::u16string digits) {
  return {.label = std::move(label),
          .change = [=](Pdu& p) { p.centre = centre; },
          .serviceCentre = std::move(digits)};
}

// Modems store national and unknown service-centre types as well.
INSTANTIATE_TEST_SUITE_P(ServiceCentres, SMSParserPduTest,
                         testing::Values(ServiceCentre("None", {0x00}, u""),
                                         ServiceCentre("TypeOnly", {0x01, 0x91}, u""),
                                         ServiceCentre("Unknown", {0x03, 0x81, 0x21, 0xF3}, u"123"),
                                         ServiceCentre("National", {0x03, 0xA1, 0xBA, 0xDC}, u"*#ab")),
                         kRowName);

PduRow ProtocolId(uint8_t id, int32_t error) {
  return {"0x" + Hex(std::vector{id}), [=](Pdu& p) { p.protocolId = id; }, error};
}

INSTANTIATE_TEST_SUITE_P(ProtocolIds, SMSParserPduTest,
                         testing::Values(ProtocolId(0x00, 0), ProtocolId(0x21, 0), ProtocolId(0x3F, 0),
                                         ProtocolId(0x40, 6), ProtocolId(0x41, 0), ProtocolId(0x47, 0),
                                         ProtocolId(0x48, 6), ProtocolId(0x5E, 6), ProtocolId(0x5F, 0),
                                         ProtocolId(0x7C, 6), ProtocolId(0x7F, 6), ProtocolId(0x80, 6),
                                         ProtocolId(0xC0, 6), ProtocolId(0xFF, 6)),
                         kRowName);

// The same text in the alphabet the scheme names: 7-bit ('7'), UCS2 ('U'), or not text ('-', 9).
PduRow CodingScheme(uint8_t scheme, char alphabet) {
  return {"0x" + Hex(std::vector{scheme}),
          [=](Pdu& p) {
            p.codingScheme = scheme;
            if (alphabet == 'U') {
              p.ucs2 = Ucs2(u"hello");
            }
          },
          alphabet == '-' ? 9 : 0};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(CodingSchemes, SMSParserPduTest, testing::Values(
    CodingScheme(0x00, '7'), CodingScheme(0x04, '-'), CodingScheme(0x08, 'U'), CodingScheme(0x0C, '7'),
    CodingScheme(0x10, '7'), CodingScheme(0x13, '7'), CodingScheme(0x16, '-'), CodingScheme(0x18, 'U'),
    CodingScheme(0x20, '-'), CodingScheme(0x28, '-'), CodingScheme(0x40, '7'), CodingScheme(0x44, '-'),
    CodingScheme(0x48, 'U'), CodingScheme(0x60, '-'), CodingScheme(0x80, '7'), CodingScheme(0xB8, '7'),
    CodingScheme(0xC0, '7'), CodingScheme(0xC8, '7'), CodingScheme(0xD0, '7'), CodingScheme(0xE0, 'U'),
    CodingScheme(0xEB, 'U'), CodingScheme(0xF0, '7'), CodingScheme(0xF3, '7'), CodingScheme(0xF4, '-'),
    CodingScheme(0xF8, '7')), kRowName);
// clang-format on

PduRow Sender(std::string label, uint8_t type, uint8_t digits, std::vector<uint8_t> bytes,
              std::u16string text, int32_t error = 0) {
  return {
      .label = std::move(label),
      .change =
          [=](Pdu& p) { std::tie(p.senderType, p.senderDigits, p.sender) = std::tie(type, digits, bytes); },
      .error = error,
      .sender = std::move(text)};
}

// "Shop€": S h o p, then the escape and 0x65; six septets in 11 semi-octets.
const std::vector<uint8_t> kShop = Pack({0x53, 0x68, 0x6F, 0x70, 0x1B, 0x65});

// clang-format off
INSTANTIATE_TEST_SUITE_P(Senders, SMSParserPduTest, testing::Values(
    Sender("International", 0x91, 11, {0x51, 0x55, 0x55, 0x05, 0x21, 0xF3}, u"15555550123"),
    Sender("Unknown", 0x81, 4, {0x21, 0x43}, u"1234"),
    Sender("National", 0xA1, 4, {0x21, 0x43}, u"1234"),
    Sender("Abbreviated", 0xC8, 4, {0x21, 0x43}, u"1234"),
    Sender("Symbols", 0x81, 6, {0xBA, 0xDC, 0x1E}, u"*#abc1"),
    Sender("SymbolsBeforeFiller", 0x81, 5, {0xBA, 0xDC, 0xFE}, u"*#abc"),
    Sender("OddLosesOnlyItsFiller", 0x91, 1, {0xF1}, u"1"),
    Sender("AllFiller", 0x91, 3, {0xFF, 0xFF}, u"", 12),
    Sender("NoDigits", 0x91, 0, {}, u"", 12),
    Sender("Alphanumeric", 0xD0, 7, Pack(Septets("Bank")), u"Bank"),
    Sender("AlphanumericExtension", 0xD0, 11, kShop, u"Shop€"),
    Sender("AlphanumericTooShort", 0xD0, 1, {0x42}, u"", 12),
    Sender("Reserved", 0xF1, 4, {0x21, 0x43}, u"", 15),
    Sender("ReservedWithoutTopBit", 0x71, 4, {0x21, 0x43}, u"", 15)), kRowName);
// clang-format on

PduRow Header(std::string label, std::vector<uint8_t> header, int32_t error,
              SMSParser::Concatenation concatenation = {}, int locking = -1, int single = -1) {
  PduRow row{std::move(label), [=](Pdu& p) { p.header = header; }, error};
  row.concatenation = concatenation;
  row.lockingShiftTable = locking;
  row.singleShiftTable = single;
  return row;
}

// Headers of 6, 7 and 3 bytes: 1, 0 and 4 fill bits before the text.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Headers, SMSParserPduTest, testing::Values(
    Header("Concatenation8", {0x00, 0x03, 0x2A, 0x03, 0x02}, 0, {0x2A, 3, 2}),
    Header("Concatenation16", {0x08, 0x04, 0x12, 0x34, 0x03, 0x01}, 0, {0x1234, 3, 1}),
    Header("ShiftTables", {0x24, 0x01, 0x01, 0x25, 0x01, 0x02}, 0, {}, 2, 1),
    Header("UnknownElementSkipped", {0x70, 0x00}, 0),
    Header("SkipsToConcatenation", {0x0A, 0x02, 0x00, 0x00, 0x00, 0x03, 0x07, 0x02, 0x02}, 0, {7, 2, 2}),
    Header("LastConcatenationCounts", {0x00, 0x03, 0x01, 0x02, 0x01, 0x00, 0x03, 0x02, 0x02, 0x02}, 0, {2, 2, 2}),
    Header("PartsZeroIgnored", {0x00, 0x03, 0x2A, 0x00, 0x00}, 0),
    Header("SequenceZeroIgnored", {0x00, 0x03, 0x2A, 0x03, 0x00}, 0),
    Header("SequencePastPartsIgnored", {0x00, 0x03, 0x2A, 0x02, 0x03}, 0),
    Header("WrongLengthsIgnored", {0x00, 0x02, 0x2A, 0x02, 0x08, 0x03, 0x12, 0x34, 0x03, 0x24, 0x00, 0x25, 0x02, 1, 2}, 0),
    Header("ElementPastHeader", {0x00, 0x05, 0x2A, 0x03, 0x02}, 8),
    Header("LoneIdentifier", {0x00, 0x03, 0x2A, 0x03, 0x02, 0x00}, 8),
    PduRow{"HeaderPastSeptets", [](Pdu& p) { p.header = {0x00, 0x03, 0x2A, 0x03, 0x02}; p.userDataLength = 6; }, 8},
    PduRow{"HeaderPastUcs2", [](Pdu& p) { p.header = {0x70, 0x00}; p.ucs2 = {}; p.userDataLength = 2; }, 8},
    PduRow{"HeaderWithoutUserData", [](Pdu& p) { p.header = {0x70, 0x00}; p.ucs2 = {}; p.userDataLength = 0; }, 8},
    PduRow{.label = "Ucs2AfterHeader", .change = [](Pdu& p) { p.header = {0x00, 0x03, 0x2A, 0x03, 0x02};
                                                            p.ucs2 = Ucs2(u"hello"); },
           .concatenation = {0x2A, 3, 2}}), kRowName);
// clang-format on

PduRow Stamp(std::string label, std::vector<uint8_t> stamp, int64_t time) {
  return {.label = std::move(label), .change = [=](Pdu& p) { p.timestamp = stamp; }, .time = time};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(TimeStamps, SMSParserPduTest, testing::Values(
    Stamp("Year90IsThisCentury", {0x09, 0x70, 0x40, 0x21, 0x00, 0x00, 0x00}, 3802870800),
    Stamp("Year98LastSecond", {0x89, 0x21, 0x13, 0x32, 0x95, 0x95, 0x00}, 915166799),
    Stamp("LeapDay", {0x42, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, 1709182800),
    Stamp("LeapDayOfCommonYear", {0x32, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, 0),
    Stamp("LeapDayOf2000", {0x00, 0x20, 0x92, 0x00, 0x00, 0x00, 0x00}, 951800400),
    Stamp("MonthZero", {0x01, 0x00, 0x10, 0x00, 0x00, 0x00, 0x00}, 0),
    Stamp("Month13", {0x01, 0x31, 0x10, 0x00, 0x00, 0x00, 0x00}, 0),
    Stamp("DayZero", {0x90, 0x50, 0x00, 0x01, 0x03, 0x00, 0x00}, 0),
    Stamp("April31", {0x90, 0x40, 0x13, 0x01, 0x03, 0x00, 0x00}, 0),
    Stamp("Hour24", {0x90, 0x50, 0x21, 0x42, 0x00, 0x00, 0x00}, 0),
    Stamp("Minute60", {0x90, 0x50, 0x21, 0x01, 0x06, 0x00, 0x00}, 0),
    Stamp("Second60", {0x90, 0x50, 0x21, 0x01, 0x03, 0x06, 0x00}, 0),
    Stamp("HexDigits", {0x90, 0x50, 0x21, 0xA1, 0x1A, 0x00, 0x00}, 0),
    Stamp("HexYear", {0xA0, 0x50, 0x21, 0x01, 0x03, 0x00, 0x00}, 0)), kRowName);
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

PduRow Text(std::string label, std::vector<uint8_t> septets, std::u16string body) {
  return {.label = std::move(label), .change = [=](Pdu& p) { p.septets = septets; }, .body = std::move(body)};
}

PduRow Ucs2Text(std::string label, std::vector<uint8_t> bytes, std::u16string body) {
  return {.label = std::move(label), .change = [=](Pdu& p) { p.ucs2 = bytes; }, .body = std::move(body)};
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Bodies, SMSParserPduTest, testing::Values(
    Text("BothTables", BothTables(),
         u"@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
         u"¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà"
         u"\f^{}\\[~]|€"),
    Text("AtSignDoesNotEndTheBody", {0x00, 0x41, 0x00}, u"@A@"),
    Text("CodeWithoutExtensionIsItsDefault", {0x1B, 0x41, 0x1B, 0x04}, u"Aè"),
    Text("TrailingEscapeIsDropped", {0x41, 0x1B}, u"A"),
    Text("DoubleEscapeIsASpace", {0x1B, 0x1B, 0x41}, u" A"),
    Text("Empty", {}, u""),
    Ucs2Text("Cyrillic", Ucs2(u"Привет"), u"Привет"),
    Ucs2Text("SurrogatePair", Ucs2(u"a😀"), u"a😀"),
    Ucs2Text("OddByte", {0x00, 0x41, 0x00}, u"A\uFFFD"),
    Ucs2Text("LoneHighSurrogate", {0xD8, 0x3D, 0x00, 0x41}, u"\uFFFDA"),
    Ucs2Text("LoneLowSurrogate", {0xDE, 0x00, 0x00, 0x41}, u"\uFFFDA"),
    Ucs2Text("HighSurrogateLast", {0x00, 0x41, 0xD8, 0x3D}, u"A\uFFFD"),
    Ucs2Text("HighSurrogateTwice", {0xD8, 0x3D, 0xD8, 0x3D, 0xDE, 0x00}, u"\uFFFD😀"),
    Ucs2Text("HighSurrogateThenOddByte", {0xD8, 0x3D, 0xDE}, u"\uFFFD\uFFFD"),
    Ucs2Text("EmptyUcs2", {}, u"")), kRowName);
// clang-format on

// Codes of the field each cut of the plain PDU (32 bytes) falls in.
TEST(SMSParserTest, RefusesEachFieldThatRunsPastTheReportedSize) {
  const std::vector<uint8_t> bytes = Pdu().Bytes();
  ASSERT_EQ(bytes.size(), 32u);
  const std::vector<std::pair<std::size_t, int32_t>> cuts = {{1, 2},  {7, 2},  {8, 3},  {10, 3},  {11, 4},
                                                             {16, 4}, {17, 5}, {18, 7}, {19, 10}, {25, 10},
                                                             {26, 8}, {31, 8}, {32, 0}};
  for (const auto& [size, error] : cuts) {
    SMSParser parser(std::span(bytes.data(), size));
    EXPECT_EQ(parser.Parse(), error) << size;
  }
  EXPECT_EQ(Parsed({}).errorCode, 17);
  std::vector<uint8_t> padded = bytes;
  padded.resize(SMSParser::kBufferLength, 0);
  EXPECT_EQ(Parsed(padded).errorCode, 0);
  padded.push_back(0);
  EXPECT_EQ(Parsed(padded).errorCode, 17);
}

// The month offsets learnt under one zone must not outlive it.
TEST(SMSParserTest, SeesAChangeOfTimeZone) {
  const std::vector<uint8_t> bytes = Pdu().Bytes();
  EXPECT_EQ(Parsed(bytes).time, 1242142200);
  platform::SetTimeZone("CET-1CEST");
  EXPECT_EQ(Parsed(bytes).time, 1242120600);
  platform::SetTimeZone("EST5EDT");
  EXPECT_EQ(Parsed(bytes).time, 1242142200);
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
  ASSERT_TRUE(corpus) << "no corpus at " << VESK_SMS_CORPUS;
  std::string line;
  int decoded = 0;
  while (std::getline(corpus, line)) {
    std::istringstream fields(line);
    std::string pduHex, sender, stamp, textHex;
    for (std::string* field : {&pduHex, &sender, &stamp, &textHex}) {
      std::getline(fields, *field, '\t');
    }
    const SMSParser parser = Parsed(FromHex(pduHex));
    ASSERT_EQ(parser.errorCode, 0) << pduHex;
    const std::vector<uint8_t> text = FromHex(textHex);
    EXPECT_EQ(parser.body, platform::Widen(std::string(text.begin(), text.end()))) << pduHex;
    EXPECT_EQ(u"+" + parser.sender, platform::Widen(sender)) << pduHex;
    std::tm parts{};
    ASSERT_TRUE(std::istringstream(stamp) >> std::get_time(&parts, "%Y-%m-%dT%H:%M:%S")) << stamp;
    parts.tm_isdst = 0;  // local standard time
    EXPECT_EQ(parser.time, platform::FromLocalTime(&parts)) << stamp;
    ++decoded;
  }
  EXPECT_EQ(decoded, 1000);
}

}  // namespace
