#include <cstdio>
#include <string>
#include <vector>

#include "sim/sms_pdu.h"
#include "sim_library.h"

namespace simtest {
namespace {

// SMS-DELIVER from +15555550123, GSM 7-bit, "hellohello".
constexpr const char* kPdu =
    "07915155550000F0040B915155550521F3000090501201030008"
    "0AE8329BFD4697D9EC37";

// The PDUs the simulator builds for its messages.
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
  const auto pdu = vesksim::BuildDeliverPdu("+15555500000", c.sender, {9, 5, 21, 10, 30, 0, 8}, c.text);
  EXPECT_EQ(c.expectedHex, Hex(pdu));
  EXPECT_EQ(pdu, vesksim::ParseHex(c.expectedHex).value_or(std::vector<uint8_t>{}));
}

INSTANTIATE_TEST_SUITE_P(Messages, BuildDeliverPduTest,
                         ::testing::Values(PduCase{"OddSender", "+15555550123", "hellohello", kPdu},
                                           PduCase{"EvenSenderEightSeptets", "1234", "ABCDEFGH",
                                                   "07915155550000F004049121430000905012010300080841E19058341E91"},
                                           PduCase{"Empty", "12", "", "07915155550000F00402912100009050120103000800"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParseHex, RejectsMalformedText) {
  for (const char* bad : {"", "0", "0G", "07 9", "0 7"}) {
    EXPECT_FALSE(vesksim::ParseHex(bad).has_value()) << bad;
  }
  EXPECT_EQ((std::vector<uint8_t>{0x07, 0x91, 0xab}), vesksim::ParseHex("07 91ab").value());
}

TEST(BuildDeliverPdu, LongTextIsCutTo160SeptetsBeforeAnEscapeThatWouldLoseItsCharacter) {
  const auto cut = vesksim::BuildDeliverPdu("1", "2", {}, std::string(200, 'a'));
  EXPECT_EQ(160, cut[cut.size() - 141]);  // user data length, then 140 bytes of septets
  // 159 septets of text, then the euro sign's two: only the text fits.
  const auto pdu = vesksim::BuildDeliverPdu("1", "2", {}, std::string(159, 'a') + "\xE2\x82\xAC");
  EXPECT_EQ(159, pdu[pdu.size() - 141]);  // 159 septets fill 140 bytes too
}

TEST(ParseTextMessage, RefusesWhatItCannotEncode) {
  for (const char* bad : {"+1234 2009-05-12 10:30:00", "abc 2009-05-12 10:30:00 hi", "+1234 1990-05-12 10:30:00 hi",
                          "+1234 2009-13-12 10:30:00 hi", "+1234 2009-05-12 10:30 hi",
                          "+1234 2009-05-12 10:30:00 \xC3\xB4"}) {
    std::string error;
    EXPECT_FALSE(vesksim::ParseTextMessage(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
  std::string error;
  EXPECT_FALSE(vesksim::ParseTextMessage("+1 2009-05-12 10:30:00 " + std::string(81, '{'), &error).has_value());
}

}  // namespace
}  // namespace simtest
