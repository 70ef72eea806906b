// SMS reception from a simulated modem: the sweep of unread stored messages at initialization, the
// new-message callback, refused messages, and failures of the library's SMS calls.
#include <ctime>
#include <string>
#include <vector>

#include "e2e_host.h"
#include "platform/calendar.h"
#include "tests/sms/deliver_pdu.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

// The service-centre time stamp of this moment, in local time.
std::vector<uint8_t> Now() {
  std::tm local{};
  platform::ToLocalTime(std::time(nullptr), &local);
  std::vector<uint8_t> stamp;
  for (int part : {local.tm_year % 100, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec}) {
    stamp.push_back(static_cast<uint8_t>((part % 10) << 4 | part / 10));
  }
  stamp.push_back(0);
  return stamp;
}

// 2025-12-06 12:00:00, more than a day ago.
const std::vector<uint8_t> kLastYear = {0x52, 0x21, 0x60, 0x21, 0x00, 0x00, 0x00};

// An SMS-DELIVER PDU as hex: the sender (digits, or a name as an alphanumeric address), the time stamp,
// any user-data header, and the text in 7-bit (ASCII letters and digits as they are) or, given ucs2, in UCS2.
struct PduFields {
  std::string sender;
  std::vector<uint8_t> header;
  std::string text;
  std::u16string ucs2 = u"";
  std::vector<uint8_t> stamp = Now();
};

std::string Hex(const PduFields& fields) {
  sms_test::Pdu pdu{
      .timestamp = fields.stamp, .septets = sms_test::Septets(fields.text), .header = fields.header};
  if (fields.sender[0] > '9') {  // a name: its septets' semi-octets
    pdu.senderDigits = static_cast<uint8_t>((fields.sender.size() * 7 + 3) / 4);
    pdu.senderType = 0xD0;
    pdu.sender = sms_test::Pack(sms_test::Septets(fields.sender));
  } else {
    pdu.senderDigits = static_cast<uint8_t>(fields.sender.size());
    pdu.sender.clear();
    for (std::size_t i = 0; i < fields.sender.size(); i += 2) {
      const int high = i + 1 < fields.sender.size() ? fields.sender[i + 1] - '0' : 0xF;
      pdu.sender.push_back(static_cast<uint8_t>(high << 4 | (fields.sender[i] - '0')));
    }
  }
  if (!fields.ucs2.empty()) {
    pdu.ucs2 = sms_test::Ucs2(fields.ucs2);
  }
  return sms_test::Hex(pdu.Bytes());
}

// Part sequence of parts of the long message with 8-bit reference 7, its text "partN", sent now.
std::string Part(int sequence, int parts = 3, std::vector<uint8_t> stamp = Now()) {
  return Hex({"4915112345678", {0x00, 0x03, 7, static_cast<uint8_t>(parts), static_cast<uint8_t>(sequence)},
              "part" + std::to_string(sequence), u"", stamp});
}

// "hello" from +15555550123 as 8-bit data: refused.
constexpr char k8BitPdu[] = "07915155550000F0040B915155550521F3000490501201030008 0AE8329BFD4697D9EC37";

class SmsTest : public EndToEndTest {
 protected:
  // Attaches with the given [sms] lines, once the initialization has ended.
  void Attach(const std::string& messages) { AttachUntilEvaluated("[sms]\n" + messages); }
  std::vector<hostkit::RecordedNotification> Messages() const {
    return Notifications(WWAN_NOTIFICATION_SMS_EVENT);
  }
  std::vector<std::u16string> Bodies() const {
    std::vector<std::u16string> bodies;
    std::ranges::transform(Messages(), std::back_inserter(bodies), &hostkit::RecordedNotification::body);
    return bodies;
  }
  int Tag(uint32_t storage, uint32_t index) const {
    return second_.Call<int>("VeskSimSmsTag", storage, index);
  }
};

TEST_F(SmsTest, InitializationDeliversUnreadMessagesOfBothStoragesInOrderAndMarksThemRead) {
  Attach(
      "sim = from +4915112345678 2026-12-06 09:00:00 Caf\xC3\xA9 @ noon, \xE2\x82\xAC"
      "5 [ok]\n"
      "sim = 0 from +1 2026-12-06 09:01:00 read before\n"
      "sim = from +2 2026-12-06 09:02:00 second\n"
      "device = from +3 2026-12-06 09:03:00 third\n");

  EXPECT_EQ(Bodies(), (std::vector<std::u16string>{u"Caf\u00e9 @ noon, \u20ac5 [ok]", u"second", u"third"}));
  const auto messages = Messages();
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].text, u"4915112345678");
  EXPECT_EQ(messages[1].timestamp - messages[0].timestamp, 120u);

  EXPECT_EQ((std::vector{Tag(0, 0), Tag(0, 2), Tag(1, 0)}), std::vector(3, 0));
  EXPECT_EQ(second_.CallCount("GetSMS"), 3u) << "the message read before is not fetched";
}

// Called back again for a message it marked read, or for a storage the library does not have, the
// manager delivers nothing more.
TEST_F(SmsTest, ANewMessageIsDeliveredOnceAndMarkedReadFromItsStorage) {
  Attach("");
  const std::size_t from = sink_.Count();
  second_.Event("sms = sim from +7 2026-12-06 10:00:00 meet @ 8");
  WaitFor(WWAN_NOTIFICATION_SMS_EVENT, from);
  // Marked once the library call has returned, which is before the scope ends.
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::ProcessSmsEvent"));
  EXPECT_EQ(Tag(0, 0), 0);
  CVeskSDK::NewSMSCallback(2, 0);  // not even asked for
  Settle();
  EXPECT_EQ(second_.CallCount("GetSMS"), 1u);
  CVeskSDK::NewSMSCallback(0, 0);
  Settle();
  EXPECT_EQ(Bodies(), std::vector<std::u16string>{u"meet @ 8"});
  EXPECT_TRUE(traceLog_.Contains("    SMS message at index '0' is marked read already, not delivered again",
                                 kTraceLevelInfo));
}

// A message refused, or one the library failed to give or to mark, stays unread on the modem and comes
// back at the next initialization.
struct UnreadRow {
  const char* label;
  const char* message;
  const char* failing;  // the library call that fails once, or null
  const char* line;
  size_t delivered;
  size_t lines;  // of `line` after the next initialization
};

class LeftUnreadTest : public SmsTest, public testing::WithParamInterface<UnreadRow> {};

TEST_P(LeftUnreadTest, ComesBackAtTheNextInitialization) {
  const UnreadRow& row = GetParam();
  second_.Load(std::string("[sms]\ndevice = ") + row.message + "\n");
  if (row.failing != nullptr) {
    second_.Fail(row.failing, GENERAL_ERROR, 1);
  }
  AttachUntilEvaluated();
  EXPECT_TRUE(traceLog_.Contains(row.line, kTraceLevelError)) << row.line;
  EXPECT_EQ(Messages().size(), row.delivered);
  EXPECT_EQ(Tag(1, 0), 1);

  ASSERT_TRUE(sdk_->DetachFromCellularDevice());
  AttachUntilEvaluated();
  EXPECT_EQ(traceLog_.Count(row.line), row.lines);
  EXPECT_EQ(Messages().size(), row.delivered + (row.failing != nullptr ? 1 : 0));
}

constexpr char kOnce[] = "from +3 2026-12-06 09:03:00 once";
INSTANTIATE_TEST_SUITE_P(
    Rows, LeftUnreadTest,
    testing::Values(UnreadRow{"Refused", k8BitPdu, nullptr,
                              "    there was a problem parsing the SMS message (9)", 0, 2},
                    UnreadRow{"GetSmsFails", kOnce, "GetSMS",
                              "    there was a problem getting the new SMS message (1)", 0, 1},
                    UnreadRow{"ModifySmsStatusFails", kOnce, "ModifySMSStatus",
                              "    there was a problem setting the SMS message status to Read(1)", 1, 1}),
    kLabel);

struct StoredRow {
  const char* label;
  std::string stored;  // [sms] lines
  std::vector<std::u16string> bodies;
  std::u16string sender;  // of the first message
  std::vector<const char*> warnings = {};
};

class StoredMessagesTest : public SmsTest, public testing::WithParamInterface<StoredRow> {};

// Whatever the storage and order of the parts, the host receives each message once, whole, and every
// stored message ends marked read.
TEST_P(StoredMessagesTest, ReachTheHostWholeAndAreAllMarkedRead) {
  Attach(GetParam().stored);
  EXPECT_EQ(Bodies(), GetParam().bodies);
  ASSERT_FALSE(Messages().empty());
  EXPECT_EQ(Messages()[0].text, GetParam().sender);
  for (const char* warning : GetParam().warnings) {
    EXPECT_TRUE(traceLog_.Contains(warning)) << warning;
  }
  for (uint32_t storage : {0u, 1u}) {
    for (uint32_t index = 0; index < 3; ++index) {
      EXPECT_NE(Tag(storage, index), 1) << storage << "/" << index;  // read, or no such message (-1)
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, StoredMessagesTest,
    testing::Values(
        StoredRow{"PartsOutOfOrderOnSimAndDevice",
                  "sim = " + Part(3) + "\ndevice = " + Part(1) + "\nsim = " + Part(2) + "\n",
                  {u"part1part2part3"}, u"4915112345678"},
        StoredRow{"SixteenBitReference",
                  "device = " + Hex({"4915112345678", {0x08, 0x04, 0x12, 0x07, 2, 2}, "two"}) +
                      "\ndevice = " + Hex({"4915112345678", {0x08, 0x04, 0x12, 0x07, 2, 1}, "one"}) + "\n",
                  {u"onetwo"}, u"4915112345678"},
        StoredRow{"TwoInterleavedSetsOfOneSender",
                  "device = " + Part(1, 2) + "\ndevice = " +
                      Hex({"4915112345678", {0x00, 0x03, 8, 2, 1}, "other1"}) + "\nsim = " + Part(2, 2) +
                      "\nsim = " + Hex({"4915112345678", {0x00, 0x03, 8, 2, 2}, "other2"}) + "\n",
                  {u"part1part2", u"other1other2"}, u"4915112345678"},
        StoredRow{"NamedSenderInUcs2WithAnEmoji",
                  "device = " + Hex({"VeskBank", {}, "", u"Code 4711 \U0001F600"}) + "\n",
                  {u"Code 4711 \U0001F600"}, u"VeskBank"},
        // No national language tables: the default alphabet and extension table, and a warning each.
        StoredRow{"NationalLanguageShiftTables",
                  "device = " + Hex({"4915112345678", {0x24, 0x01, 0x01, 0x25, 0x01, 0x02}, "plain"}) + "\n",
                  {u"plain"}, u"4915112345678",
                  {"locking shift table 2, decoded with the default alphabet",
                   "single shift table 1, decoded with the default extension table"}},
        // Sent more than a day ago, and every stored message read: part 2 is not waited for any longer.
        StoredRow{"PartMissingForMoreThanADay",
                  "device = " + Part(3, 3, kLastYear) + "\nsim = " + Part(1, 3, kLastYear) + "\n",
                  {u"part1[part 2 of 3 missing]part3"}, u"4915112345678"}),
    kLabel);

TEST_F(SmsTest, PartsArrivingOutOfOrderStayUnreadUntilTheWholeMessageIsDelivered) {
  Attach("");
  const std::size_t from = sink_.Count();
  second_.Event(("sms = device " + Part(2)).c_str());
  second_.Event(("sms = sim " + Part(3)).c_str());
  ASSERT_TRUE(WaitForLines("kept until every part is read", 2));
  EXPECT_EQ((std::vector{Tag(1, 0), Tag(0, 0)}), std::vector(2, 1));
  second_.Event(("sms = device " + Part(1)).c_str());
  WaitFor(WWAN_NOTIFICATION_SMS_EVENT, from);
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::ProcessSmsEvent", 3));
  EXPECT_EQ(Bodies(), std::vector<std::u16string>{u"part1part2part3"});
  EXPECT_EQ((std::vector{Tag(1, 0), Tag(0, 0), Tag(1, 1)}), std::vector(3, 0));
}

// The parts read before a detach are read again by the next attach's sweep and joined with the rest.
TEST_F(SmsTest, ADetachBetweenPartsLosesNothing) {
  Attach("");
  second_.Event(("sms = device " + Part(1, 2)).c_str());
  ASSERT_TRUE(WaitForLines("kept until every part is read"));
  ASSERT_TRUE(sdk_->DetachFromCellularDevice());
  AttachUntilEvaluated();
  EXPECT_EQ(traceLog_.Count("kept until every part is read"), 2u);
  const std::size_t from = sink_.Count();
  second_.Event(("sms = device " + Part(2, 2)).c_str());
  WaitFor(WWAN_NOTIFICATION_SMS_EVENT, from);
  EXPECT_EQ(Bodies(), std::vector<std::u16string>{u"part1part2"});
}

TEST_F(SmsTest, AnImpossibleDateGivesTheTimeTheMessageWasRead) {
  const auto before = static_cast<uint64_t>(std::time(nullptr));
  Attach("device = " + Hex({"4915112345678", {}, "month13", u"", {0x52, 0x31, 0x60, 0x21, 0x00, 0x00, 0x00}}) + "\n");
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_GE(Messages()[0].timestamp, before);
  EXPECT_LE(Messages()[0].timestamp, static_cast<uint64_t>(std::time(nullptr)));
  EXPECT_TRUE(traceLog_.Contains(
      "    the SMS message has an impossible time stamp (25-13-06 12:00:00), using the time it was read",
      kTraceLevelWarning));
}

}  // namespace
}  // namespace e2e
