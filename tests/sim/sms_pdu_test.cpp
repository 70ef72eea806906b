#include "sim/sms_pdu.h"

#include <string>

#include <gtest/gtest.h>

namespace vesksim {
namespace {

std::string Hex(const std::vector<uint8_t>& bytes) {
  std::string text;
  char pair[3];
  for (uint8_t byte : bytes) {
    std::snprintf(pair, sizeof pair, "%02X", byte);
    text += pair;
  }
  return text;
}

struct PduCase {
  const char* name;
  const char* sender;
  const char* text;
  const char* expectedHex;
};

class BuildDeliverPduTest : public ::testing::TestWithParam<PduCase> {};

TEST_P(BuildDeliverPduTest, PacksAddressesTimestampAndSeptets) {
  const PduCase& c = GetParam();
  const auto pdu = BuildDeliverPdu("+15555500000", c.sender, {9, 5, 21, 10, 30, 0, 8}, c.text);
  EXPECT_EQ(c.expectedHex, Hex(pdu));
  EXPECT_EQ(pdu, ParseHex(c.expectedHex).value_or(std::vector<uint8_t>{}));
}

INSTANTIATE_TEST_SUITE_P(Messages, BuildDeliverPduTest,
                         ::testing::Values(PduCase{"OddSender", "+15555550123", "hellohello",
                                                   "07915155550000F0040B915155550521F3000090501201030008"
                                                   "0AE8329BFD4697D9EC37"},
                                           PduCase{"EvenSenderEightSeptets", "1234", "ABCDEFGH",
                                                   "07915155550000F00404912143000090501201030008"
                                                   "0841E19058341E91"},
                                           PduCase{"Empty", "12", "",
                                                   "07915155550000F004029121000090501201030008"
                                                   "00"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BuildDeliverPdu, LongTextIsCutTo160Septets) {
  const auto pdu = BuildDeliverPdu("1", "2", {}, std::string(200, 'a'));
  EXPECT_EQ(160, pdu[pdu.size() - 141]);  // user data length, then 140 bytes of septets
}

TEST(ParseHex, RejectsMalformedText) {
  for (const char* bad : {"", "0", "0G", "07 9", "0 7"}) {
    EXPECT_FALSE(ParseHex(bad).has_value()) << bad;
  }
  EXPECT_EQ((std::vector<uint8_t>{0x07, 0x91, 0xab}), ParseHex("07 91ab").value());
}

TEST(BuildDeliverPdu, CutsBeforeAnEscapeThatWouldLoseItsCharacter) {
  // 159 septets of text, then the euro sign's two: only the text fits.
  const auto pdu = BuildDeliverPdu("1", "2", {}, std::string(159, 'a') + "\xE2\x82\xAC");
  EXPECT_EQ(159, pdu[pdu.size() - 141]);  // 159 septets fill 140 bytes too
}

TEST(ParseTextMessage, RefusesWhatItCannotEncode) {
  for (const char* bad : {"+1234 2009-05-12 10:30:00", "abc 2009-05-12 10:30:00 hi", "+1234 1990-05-12 10:30:00 hi",
                          "+1234 2009-13-12 10:30:00 hi", "+1234 2009-05-12 10:30 hi",
                          "+1234 2009-05-12 10:30:00 \xC3\xB4"}) {
    std::string error;
    EXPECT_FALSE(ParseTextMessage(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  std::string error;
  EXPECT_FALSE(ParseTextMessage("+1 2009-05-12 10:30:00 " + std::string(81, '{'), &error).has_value());
}

}  // namespace
}  // namespace vesksim
