#include <cstdio>
#include <string>
#include <vector>

#include "sim/sms_pdu.h"
#include "sim_library.h"

namespace simtest {
namespace {

using SmsTest = SimTest;

// SMS-DELIVER from +15555550123, GSM 7-bit, "hellohello".
constexpr const char* kPdu =
    "07915155550000F0040B915155550521F3000090501201030008"
    "0AE8329BFD4697D9EC37";

std::vector<ULONG> List(const SimLibrary& lib, ULONG storage, ULONG* tag) {
  ULONG pairs[2 * 16];
  ULONG count = 16;
  EXPECT_EQ(0u, CALL(lib, GetSMSList, storage, tag, &count, pairs));
  return std::vector<ULONG>(pairs, pairs + 2 * count);
}

TEST_F(SmsTest, NewMessageFiresTheCallbackAndIsReadableAsStored) {
  ConnectWithCallbacks();
  ULONG unread = 1;
  const auto before = List(lib_, 0, &unread);
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, (std::string("sms = sim ") + kPdu).c_str()));
  ASSERT_TRUE(recorder_.WaitFor("sms 0 2")) << "after the two built-in SIM messages";

  BYTE message[800] = {};
  ULONG tag = 9, format = 0, size = sizeof message;
  ASSERT_EQ(0u, CALL(lib_, GetSMS, 0, 2, &tag, &format, &size, message));
  EXPECT_EQ(1u, tag);
  EXPECT_EQ(6u, format);
  ASSERT_EQ(36u, size);
  EXPECT_EQ(0x04, message[8]) << "SMS-DELIVER first octet";
  EXPECT_EQ(0x37, message[35]);
  EXPECT_EQ(0, message[36]);

  EXPECT_EQ(before.size() + 2, List(lib_, 0, &unread).size());
  ASSERT_EQ(0u, CALL(lib_, ModifySMSStatus, 0, 2, 0));
  EXPECT_EQ(before, List(lib_, 0, &unread)) << "marked read, no longer listed as unread";
  EXPECT_EQ(3u * 2, List(lib_, 0, nullptr).size()) << "without a tag every message is listed";
}

TEST_F(SmsTest, TextMessagesAreStoredAndTheirTagsAreVisible) {
  ASSERT_EQ(0, CALL(lib_, VeskSimLoadScenario,
                    "[sms]\ndevice = from +4915112345678 2026-12-06 10:00:00 Caf\xC3\xA9 \xE2\x82\xAC\n"
                    "device = 0 from 123 2026-12-06 10:01:00 old\n"));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  EXPECT_EQ(1, CALL(lib_, VeskSimSmsTag, 1u, 0u));
  EXPECT_EQ(0, CALL(lib_, VeskSimSmsTag, 1u, 1u));
  EXPECT_EQ(-1, CALL(lib_, VeskSimSmsTag, 1u, 2u)) << "no such message";
  EXPECT_EQ(-1, CALL(lib_, VeskSimSmsTag, 0u, 0u)) << "the SIM has none";
  ASSERT_EQ(0u, CALL(lib_, ModifySMSStatus, 1, 0, 0));
  EXPECT_EQ(0, CALL(lib_, VeskSimSmsTag, 1u, 0u));

  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "sms = sim from +1 2026-12-06 10:02:00 new"));
  EXPECT_EQ(1, CALL(lib_, VeskSimSmsTag, 0u, 0u));
  EXPECT_EQ(1, CALL(lib_, VeskSimEvent, "sms = sim from +1 2026-12-06 hello")) << "no time";
}

TEST_F(SmsTest, TooSmallABufferGetsOnlyTheSizeNeeded) {
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  BYTE message[8] = {};
  ULONG tag = 0, format = 0, size = sizeof message;
  EXPECT_EQ(INVALID_ARGUMENT, CALL(lib_, GetSMS, 1, 0, &tag, &format, &size, message));
  EXPECT_GT(size, sizeof message);
  EXPECT_EQ(0, message[0]);
  EXPECT_EQ(INVALID_ARGUMENT, CALL(lib_, GetSMS, 1, 7, &tag, &format, &size, message)) << "no such index";
}

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

TEST(BuildDeliverPdu, LongTextIsCutTo160Septets) {
  const auto pdu = vesksim::BuildDeliverPdu("1", "2", {}, std::string(200, 'a'));
  EXPECT_EQ(160, pdu[pdu.size() - 141]);  // user data length, then 140 bytes of septets
}

TEST(ParseHex, RejectsMalformedText) {
  for (const char* bad : {"", "0", "0G", "07 9", "0 7"}) {
    EXPECT_FALSE(vesksim::ParseHex(bad).has_value()) << bad;
  }
  EXPECT_EQ((std::vector<uint8_t>{0x07, 0x91, 0xab}), vesksim::ParseHex("07 91ab").value());
}

TEST(BuildDeliverPdu, CutsBeforeAnEscapeThatWouldLoseItsCharacter) {
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
