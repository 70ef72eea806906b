// The reference host's command parsing, diag command words, notification lines and script handling.
#include <chrono>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "host/cli/json_output.h"
#include "host/cli/script_runner.h"
#include "host/commands/command_parser.h"
#include "host/commands/command_table.h"
#include "host/commands/diag_commands.h"
#include "host/kit/notification_printer.h"
#include "host/kit/sms_text.h"
#include "platform/calendar.h"
#include "vesk/notifications.h"

namespace vesk_host {
namespace {

using Words = std::vector<std::string>;

struct LineCase {
  const char* line;
  std::optional<Words> words;  // name then arguments; nothing for no command
  bool error = false;
};

class CommandLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLineTest, SplitsWordsAndQuotes) {
  std::string error;
  const auto parsed = ParseCommandLine(GetParam().line, &error);
  EXPECT_EQ(!error.empty(), GetParam().error);
  ASSERT_EQ(parsed.has_value(), GetParam().words.has_value());
  if (parsed) {
    Words words{parsed->name};
    words.insert(words.end(), parsed->args.begin(), parsed->args.end());
    EXPECT_EQ(words, *GetParam().words);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CommandLineTest,
    testing::Values(LineCase{"open", Words{"open"}},
                    LineCase{"  wait-for\tsdk_closed  100 \r", Words{"wait-for", "sdk_closed", "100"}},
                    LineCase{"connect \"my apn\" \"\" pw", Words{"connect", "my apn", "", "pw"}},
                    LineCase{"   ", std::nullopt}, LineCase{"# open", std::nullopt},
                    LineCase{"connect \"my apn", std::nullopt, true}));

TEST(JoinArgumentsTest, SimulateHandsOnAQuotedSenderWithItsQuotes) {
  std::string error;
  const auto parsed =
      ParseCommandLine("simulate sms = sim from \"Vesk Bank\" 2026-12-06 12:00:00 a  b", &error);
  ASSERT_TRUE(parsed.has_value());
  EXPECT_EQ(JoinArguments(parsed->args), "sms = sim from \"Vesk Bank\" 2026-12-06 12:00:00 a b");
}

struct WordCase {
  std::vector<std::string> args;
  std::optional<uint32_t> word;
};

class DiagnosticWordTest : public testing::TestWithParam<WordCase> {};

TEST_P(DiagnosticWordTest, PacksTheParameterAboveTheCode) {
  EXPECT_EQ(DiagnosticCommandWord(GetParam().args), GetParam().word);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, DiagnosticWordTest,
    testing::Values(WordCase{{"50000"}, 50000u}, WordCase{{"8", "65535"}, 0xFFFF0008u},
                    WordCase{{"6", "244", "91"}, 0xF45B0006u},  // MCC high byte, MNC below it
                    WordCase{{"6", "256", "1"}, std::nullopt},
                    WordCase{{"7", "1", "2"}, std::nullopt},  // only code 6 takes two parameters
                    WordCase{{"8", "65536"}, std::nullopt}, WordCase{{"3x"}, std::nullopt},
                    WordCase{{}, std::nullopt}));

struct PrintCase {
  hostkit::RecordedNotification notification;
  const char* line;
};

using Note = hostkit::RecordedNotification;

// A notification whose payload, if any, `fill` writes.
Note Notify(int32_t code, uintptr_t param1, uintptr_t param2 = 0,
            const std::function<void(Note&)>& fill = {}) {
  Note n;
  std::tie(n.code, n.param1, n.param2, n.hasPayload) = std::tuple(code, param1, param2, fill != nullptr);
  if (fill) {
    fill(n);
  }
  return n;
}

const Note kSms = Notify(WWAN_NOTIFICATION_SMS_EVENT, 1, 0, [](Note& n) {
  std::tie(n.text, n.body, n.timestamp) = std::tuple(u"+49", u"caf\u00e9 @ \n\f\u20AC", 1242142200);
});
const Note kFix = Notify(WWAN_NOTIFICATION_GPS_INFO_CHANGED, 1, 0, [](Note& n) {
  n.gps = GpsInfo{.hasFix = 1, .sourceText = u"NMEA", .latitude = 52.5, .longitude = -13.25};
  std::tie(n.gps->satellites, n.gps->satellitesValid) = std::pair(7, 1);
  n.utc = std::chrono::system_clock::time_point(std::chrono::milliseconds(1242122400250));
});
const Note kTotals = Notify(WWAN_NOTIFICATION_BYTES_TX_RX, 1, 0, [](Note& n) {
  n.totals = {5000000000ull, 12};
});

class NotificationLineTest : public testing::TestWithParam<PrintCase> {};

TEST_P(NotificationLineTest, DecodesTheParameters) {
  platform::SetTimeZone("UTC0");  // an SMS shows its local time
  EXPECT_EQ(FormatNotification(GetParam().notification, 1.25), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, NotificationLineTest,
    testing::Values(
        PrintCase{Notify(WWAN_NOTIFICATION_RSSI, static_cast<uintptr_t>(-71), 55),
                  "[    1.250] WWAN_NOTIFICATION_RSSI dBm=-71 percent=55"},
        PrintCase{Notify(WWAN_NOTIFICATION_SIM_STATUS, 2),
                  "[    1.250] WWAN_NOTIFICATION_SIM_STATUS sim=locked (2)"},
        PrintCase{kTotals, "[    1.250] WWAN_NOTIFICATION_BYTES_TX_RX tx=5000000000 rx=12"},
        PrintCase{
            kFix,
            "[    1.250] WWAN_NOTIFICATION_GPS_INFO_CHANGED fix lat=52.500000 lon=-13.250000 altitude=- "
            "speed=- satellites=7 heading=- utc=2009-05-12T10:00:00.250Z source \"NMEA\""},
        // The sender, the local time and the body on one line.
        PrintCase{
            kSms,
            "[    1.250] WWAN_NOTIFICATION_SMS_EVENT from=+49 at 2009-05-12 15:30:00 text=\"caf\xC3\xA9 @ "
            "\\n\\x0c\u20AC\""},
        PrintCase{Notify(11, 0x10), "[    1.250] notification 11 param1=0x10 param2=0x0"}));

// Bodies from UCS2 messages: a surrogate pair is one character, an unpaired surrogate U+FFFD, on the
// terminal line and in --json alike.
struct BodyCase {
  const char* label;
  std::u16string body;
  const char* line;            // quoted, as on the terminal
  const char* json = nullptr;  // the body member of the JSON object, where it differs
};

class SmsBodyTest : public testing::TestWithParam<BodyCase> {};

TEST_P(SmsBodyTest, StaysOneLineOfUtf8) {
  Note n = kSms;
  n.text = u"VeskBank";
  n.body = GetParam().body;
  EXPECT_EQ(SmsQuotedBody(n.body), GetParam().line);
  EXPECT_EQ(SmsSummary(n.text, 3, n.body).rfind("from=VeskBank at ", 0), 0u);
  const std::string json = NotificationJson(n, 1.25);
  EXPECT_NE(json.find(std::string("\"sender\":\"VeskBank\"")), std::string::npos) << json;
  const char* body = GetParam().json ? GetParam().json : GetParam().line;
  EXPECT_NE(json.find(std::string("\"body\":") + body + "}"), std::string::npos) << json;
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, SmsBodyTest,
    testing::Values(BodyCase{"Emoji", u"ok \U0001F600!", "\"ok \xF0\x9F\x98\x80!\""},
                    BodyCase{"LoneHighSurrogate", std::u16string(u"a") + char16_t(0xD83D) + u"b",
                             "\"a\xEF\xBF\xBD"
                             "b\""},
                    BodyCase{"LoneLowSurrogateLast", std::u16string(u"a") + char16_t(0xDE00),
                             "\"a\xEF\xBF\xBD\""},
                    BodyCase{"SwappedPair", std::u16string(u"") + char16_t(0xDE00) + char16_t(0xD83D),
                             "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
                    BodyCase{"BreakAndTab", u"a\n\t", "\"a\\n\\x09\"", "\"a\\n\\t\""}),
    [](const auto& info) { return std::string(info.param.label); });

// Scripts that never touch the module: parsing, waiting and the session's error handling.
class ScriptTest : public testing::Test {
 protected:
  bool Run(const std::string& script, bool interactive = false, bool json = false) {
    std::istringstream input(script);
    return RunCommands(input, RunMode{.interactive = interactive, .json = json}, session_, console_);
  }

  hostkit::RecordingNotificationSink sink_;
  hostkit::RecordingPowerStateSource powerSource_;
  Console console_;
  CommandTable commands_ = BuildCommandTable();
  HostSession session_{nullptr, sink_, powerSource_, commands_};
};

TEST_F(ScriptTest, WaitForTakesTheFirstOfItsNameSinceTheLastCommandNotYetWaitedFor) {
  sink_.OnNotification(WWAN_NOTIFICATION_RSSI, 0, 0);
  sink_.OnNotification(WWAN_NOTIFICATION_SDK_CLOSED, 0, 0);
  EXPECT_TRUE(Run("wait-for sdk_closed 10000\nwait-for rssi 10000\n"));
  EXPECT_FALSE(Run("wait-for sdk_closed 20\n"));
  sink_.OnNotification(WWAN_NOTIFICATION_RSSI, 0, 0);
  EXPECT_FALSE(Run("help\nwait-for rssi 20\n"));  // it came before help
  sink_.OnNotification(WWAN_NOTIFICATION_SDK_CLOSED, 0, 0);
  EXPECT_TRUE(Run("wait-for 6 10000\n"));
}

TEST_F(ScriptTest, ACommandThatSetsNothingOffLeavesTheWaitFloorWhereItWas) {
  // As a simulate line that a replay leaves unplayed: the recorded event may have come before it.
  commands_.Add({"unplayed", "", "", [](HostSession&, const std::vector<std::string>&) {
                   CommandResult result = Ok();
                   result.keepsWaitFloor = true;
                   return result;
                 }});
  EXPECT_TRUE(Run("help\n"));
  sink_.OnNotification(WWAN_NOTIFICATION_RSSI, 0, 0);
  EXPECT_TRUE(Run("unplayed\nwait-for rssi 10000\n"));
  sink_.OnNotification(WWAN_NOTIFICATION_RSSI, 0, 0);
  EXPECT_FALSE(Run("help\nwait-for rssi 20\n"));
}

struct ErrorCase {
  const char* script;
  bool interactive;
  bool completes;
};

class ScriptErrorTest : public ScriptTest, public testing::WithParamInterface<ErrorCase> {};

TEST_P(ScriptErrorTest, AnErrorEndsOnlyAScriptAndOnlyWithoutADash) {
  EXPECT_EQ(Run(GetParam().script, GetParam().interactive), GetParam().completes) << GetParam().script;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ScriptErrorTest,
    testing::Values(ErrorCase{"bogus\nhelp\n", false, false}, ErrorCase{"wait\n", false, false},
                    ErrorCase{"\"open\n", false, false}, ErrorCase{"help me\n", false, false},
                    ErrorCase{"wait-for sdk_closed 1\nquit\n", false, false},
                    ErrorCase{" -bogus\n-wait\n-wait-for sdk_closed 1\n-\"open\nhelp\n", false, true},
                    ErrorCase{"bogus\nwait\nwait-for sdk_closed 1\nquit\nwait-for sdk_closed 1\n", true,
                              true}));

TEST_F(ScriptTest, EveryLineGivesOneJsonResultWithItsReason) {
  testing::internal::CaptureStdout();
  EXPECT_TRUE(Run("-bogus\n-wait x\n-wait-for rssi 1\nhelp wait\n", false, true));
  std::istringstream output(testing::internal::GetCapturedStdout());
  const char* const expected[] = {
      "\"ok\":false,\"status\":\"failed\",\"reason\":\"unknown command 'bogus'",
      "\"ok\":false,\"status\":\"usage\",\"reason\":\"usage: wait MS\"",
      "\"ok\":false,\"status\":\"failed\",\"reason\":\"no WWAN_NOTIFICATION_RSSI within 1 ms\"",
      "\"ok\":true,\"status\":\"ok\",\"reason\":\"\""};
  std::string line;
  for (const char* result : expected) {
    ASSERT_TRUE(std::getline(output, line));
    EXPECT_NE(line.find(result), std::string::npos) << line;
  }
  EXPECT_FALSE(std::getline(output, line)) << line;
}

}  // namespace
}  // namespace vesk_host
