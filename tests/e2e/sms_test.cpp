// SMS reception from a simulated modem: the sweep of unread stored messages at initialization, the
// new-message callback, refused messages, and failures of the library's SMS calls.
#include <string>
#include <vector>

#include "e2e_host.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

// "hello" from +15555550123, marked as 8-bit data by its coding scheme: refused.
constexpr char kDataPdu[] = "07915155550000F0040B915155550521F3000490501201030008 0AE8329BFD4697D9EC37";

class SmsTest : public EndToEndTest {
 protected:
  // Attaches with the given [sms] lines, once the initialization has ended.
  void Attach(const std::string& messages) { AttachUntilEvaluated("[sms]\n" + messages); }
  std::vector<hostkit::RecordedNotification> Messages() const {
    return Notifications(WWAN_NOTIFICATION_SMS_EVENT);
  }
  std::vector<std::u16string> Bodies() const {
    std::vector<std::u16string> bodies;
    for (const auto& message : Messages()) {
      bodies.push_back(message.body);
    }
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

  EXPECT_EQ(Tag(0, 0), 0);
  EXPECT_EQ(Tag(0, 2), 0);
  EXPECT_EQ(Tag(1, 0), 0);
  EXPECT_EQ(second_.CallCount("GetSMS"), 3u) << "the message read before is not fetched";
}

struct NewMessageRow {
  const char* label;
  ULONG storage;
  const char* event;  // null: the library names a storage it does not have
};

class NewMessageTest : public SmsTest, public testing::WithParamInterface<NewMessageRow> {};

TEST_P(NewMessageTest, IsDeliveredAndMarkedReadFromItsStorage) {
  const NewMessageRow& row = GetParam();
  Attach("");
  const std::size_t from = sink_.Count();
  if (row.event != nullptr) {
    second_.Event(row.event);
    WaitFor(WWAN_NOTIFICATION_SMS_EVENT, from);
    // Marked once the library call has returned, which is before the scope ends.
    ASSERT_TRUE(WaitForLines("<== CVeskSDK::ProcessSmsEvent"));
    EXPECT_EQ(Bodies(), std::vector<std::u16string>{u"meet @ 8"});
    EXPECT_EQ(Tag(row.storage, 0), 0);
  } else {
    CVeskSDK::NewSMSCallback(row.storage, 0);
    Settle();
    EXPECT_TRUE(Bodies().empty());
    EXPECT_EQ(second_.CallCount("GetSMS"), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, NewMessageTest,
    testing::Values(NewMessageRow{"Sim", 0, "sms = sim from +7 2026-12-06 10:00:00 meet @ 8"},
                    NewMessageRow{"UnknownStorage", 2, nullptr}),
    [](const auto& info) { return std::string(info.param.label); });

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
    testing::Values(UnreadRow{"Refused", kDataPdu, nullptr,
                              "    there was a problem parsing the SMS message (9)", 0, 2},
                    UnreadRow{"GetSmsFails", kOnce, "GetSMS",
                              "    there was a problem getting the new SMS message (1)", 0, 1},
                    UnreadRow{"ModifySmsStatusFails", kOnce, "ModifySMSStatus",
                              "    there was a problem setting the SMS message status to Read(1)", 1, 1}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace e2e
