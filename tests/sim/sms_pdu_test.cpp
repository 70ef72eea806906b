// The PDUs the simulator builds from messages written as text, checked against SMS-DELIVER PDUs and
// user-data headers worked out by hand rather than against the simulator's own encoder.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sim/sms_pdu.h"
#include "sim_library.h"

namespace simtest {
namespace {

constexpr char kWhen[] = "2026-12-06 12:00:00";

std::string Message(const std::string& sender, const std::string& text) {
  return sender + " " + kWhen + " " + text;
}

// Long messages: how many parts, their header and lengths, and where they are cut.
struct SplitCase {
  const char* label;
  std::string text;
  std::vector<int> lengths;  // user-data length of each part, in septets (7-bit) or octets (UCS2)
  std::string lastUserData = "";  // the last part's user data after its header, when worked out
  std::string secondStart = "";   // how the second part's text starts, when it matters
};

const std::string kEuro = "\xE2\x82\xAC";
const std::string kGrin = "\xF0\x9F\x98\x80";
const std::string kOmega = "\xCF\x89";  // not in the GSM alphabet (only capital Omega is)

class SplitTest : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, CutsIntoConcatenatedParts) {
  const SplitCase& c = GetParam();
  uint8_t reference = 0xFF;
  std::string error;
  const auto parsed =
      vesksim::ParseSmsMessage("from " + Message("+4915112345678", c.text), &reference, &error);
  ASSERT_TRUE(parsed) << error;
  const auto& pdus = *parsed;
  ASSERT_EQ(pdus.size(), c.lengths.size());
  // Only a long message takes a reference, and the next one wraps to 0.
  EXPECT_EQ(reference, pdus.size() == 1 ? 0xFF : 0);
  // Service centre (8), first octet, sender (9), protocol, coding and time stamp (7) come first.
  constexpr size_t kLengthAt = 27;
  for (size_t i = 0; i < pdus.size(); ++i) {
    const auto& pdu = pdus[i];
    ASSERT_GT(pdu.size(), kLengthAt + 7);
    EXPECT_EQ(pdu[kLengthAt], c.lengths[i]) << "part " << i + 1;
    if (pdus.size() == 1) {
      EXPECT_EQ(pdu[8], 0x04);
      continue;
    }
    EXPECT_EQ(pdu[8], 0x44) << "TP-UDHI set";
    const std::vector<uint8_t> header{
        5, 0, 3, 0xFF, static_cast<uint8_t>(pdus.size()), static_cast<uint8_t>(i + 1)};
    EXPECT_EQ(Hex(std::span(pdu).subspan(kLengthAt + 1, 6)), Hex(header));
    const bool ucs2 = pdu[kLengthAt - 8] == 0x08;
    // Packed septets (header and fill bit counted as 7) or UCS2 octets end with the PDU.
    const size_t octets = ucs2 ? c.lengths[i] : (c.lengths[i] * 7 + 7) / 8;
    EXPECT_EQ(pdu.size(), kLengthAt + 1 + octets) << "part " << i + 1;
  }
  if (!c.lastUserData.empty()) {
    EXPECT_EQ(Hex(std::span(pdus.back()).subspan(kLengthAt + 7)), c.lastUserData);
  }
  if (!c.secondStart.empty()) {
    EXPECT_EQ(Hex(std::span(pdus[1]).subspan(kLengthAt + 7, 2)), c.secondStart);
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Texts, SplitTest, testing::Values(
    SplitCase{"160SeptetsFitOneMessage", std::string(160, 'a'), {160}},
    SplitCase{"EscapesCountTwice", std::string(158, 'a') + kEuro, {160}},
    // 153 + 8 septets; the 8 'a' behind one fill bit pack to C2 E1 70 38 1C 0E 87 01.
    SplitCase{"161SeptetsMakeTwoParts", std::string(161, 'a'), {160, 15}, "C2E170381C0E8701"},
    SplitCase{"ThreeParts", std::string(400, 'a'), {160, 160, 101}},
    SplitCase{"255PartsAtMost", std::string(255 * 153, 'a'), std::vector<int>(255, 160)},
    // Septet 153 would be the escape: the euro sign goes whole into part two (1B 65 after the fill bit).
    SplitCase{"NeverBetweenEscapeAndCharacter", std::string(152, 'a') + kEuro + std::string(10, 'b'), {159, 19},
              "", "3665"},
    SplitCase{"70Ucs2UnitsFitOneMessage", kOmega + std::string(69, 'a'), {140}},
    // 67 + 4 units; header 6 octets.
    SplitCase{"71Ucs2UnitsMakeTwoParts", kOmega + std::string(70, 'a'), {140, 14}, "0061006100610061"},
    // Unit 67 would be the high surrogate: the pair goes whole into part two.
    SplitCase{"NeverBetweenASurrogatePair", std::string(66, 'a') + kGrin + std::string(10, 'b'), {138, 30}, "",
              "D83D"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// Values that do not read, and why.
const char kBadSender[] = "a sender is a number or a name of 1 to 11 characters of the GSM 7-bit alphabet";

struct BadCase {
  std::string value;
  const char* error;
};

class BadMessageTest : public testing::TestWithParam<BadCase> {};

TEST_P(BadMessageTest, IsRefusedWithItsReason) {
  uint8_t reference = 9;
  std::string error;
  EXPECT_FALSE(vesksim::ParseSmsMessage(GetParam().value, &reference, &error).has_value());
  EXPECT_EQ(error, GetParam().error);
  EXPECT_EQ(reference, 9) << "a refused message takes no reference";
}

INSTANTIATE_TEST_SUITE_P(
    Values, BadMessageTest,
    testing::Values(
        BadCase{"from VeskBank12345 2026-12-06 12:00:00 hi", kBadSender},
        BadCase{"from \xCF\x89mega 2026-12-06 12:00:00 hi", kBadSender},
        BadCase{"from \"\" 2026-12-06 12:00:00 hi", kBadSender},
        BadCase{"from \"Vesk Bank 2026-12-06 12:00:00 hi",
                "a text message is 'SENDER YYYY-MM-DD hh:mm:ss TEXT'"},
        BadCase{"from +123456789012345678901 2026-12-06 12:00:00 hi", "bad sender number"},
        BadCase{"from +1 2026-13-06 12:00:00 hi", "bad time stamp '2026-13-06 12:00:00'"},
        BadCase{"from +1 2026-12-06 12:00:00 \xC3", "the text is not UTF-8"},
        BadCase{"parts 4 from " + Message("+1", std::string(200, 'a')),
                "the message has no part 4 (it has 2)"},
        BadCase{"parts 3,x from +1 2026-12-06 12:00:00 hi", "parts is a list of part numbers, such as 3,1,2"},
        BadCase{"parts 0 from +1 2026-12-06 12:00:00 hi", "parts is a list of part numbers, such as 3,1,2"},
        BadCase{"parts 1 0791", "parts come before 'from SENDER YYYY-MM-DD hh:mm:ss TEXT'"},
        BadCase{"from " + Message("+1", std::string(255 * 153 + 1, 'a')),
                "the text needs more than 255 parts"},
        BadCase{"07 9", "sms needs a hex PDU or 'from SENDER YYYY-MM-DD hh:mm:ss TEXT'"}));

}  // namespace
}  // namespace simtest
