#include "sim/recording/recording.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "sim/recording/call_codec.h"

namespace veskrec {
namespace {

const std::string kHeader = "generation 2000\nrecorder 0.1.0\ndate 2026-12-07T07:00:00Z\n";

struct BadRecording {
  std::string text;
  int line;
  std::string message;
};

class BadRecordingTest : public testing::TestWithParam<BadRecording> {};

TEST_P(BadRecordingTest, IsRefusedAtItsLine) {
  Recording recording;
  const ReadError error = ReadRecording(GetParam().text, recording);
  EXPECT_EQ(error.line, GetParam().line) << error.message;
  EXPECT_NE(error.message.find(GetParam().message), std::string::npos) << error.message;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, BadRecordingTest,
    testing::Values(
        BadRecording{"0.0 0.0 call QCWWANConnect -> 0\n", 1, "starts with its generation"},
        BadRecording{"generation 3000\n", 1, "1000 or 2000"},
        BadRecording{"# nothing\n", 2, "not a recording"},
        BadRecording{kHeader + "0.0 0.0 call NoSuchCall -> 0\n", 4, "unknown entry point 'NoSuchCall'"},
        BadRecording{kHeader + "0.0 0.0 call GetSessionState -> 0\n", 4, "has 1 values, not 0"},
        BadRecording{kHeader + "0.0 0.0 call GetSessionState 1 2 -> 0\n", 4, "has 1 values, not 2"},
        BadRecording{kHeader + "0.0 0.0 call GetSessionState 1\n", 4, "ends with '-> RESULT'"},
        BadRecording{kHeader + "0.0 0.0 call GetSessionState 1 -> -1\n", 4, "ends with '-> RESULT'"},
        BadRecording{kHeader + "0.0 0.0 call GetModelID 100 \"open -> 0\n", 4, "has 2 values, not 1"},
        BadRecording{kHeader + "0.0 0.0 call GetModelID 100 \"a\\q\" -> 0\n", 4, "bad value"},
        BadRecording{kHeader + "0.0 0.0 call GetSignalStrengths 2 [1,] [5] -> 0\n", 4, "bad value '[1,]'"},
        BadRecording{kHeader + "0.0 0.0 call GetSMS 0 0 1 6 3 x0a1 -> 0\n", 4, "bad value 'x0a1'"},
        BadRecording{kHeader + "2.0 callback Power 1\n1.0 callback Power 0\n", 5, "time goes backwards"},
        BadRecording{kHeader + "1.0 callback Power 1 -> 0\n", 4, "has no result"},
        BadRecording{kHeader + "1.0 callback Weather 1\n", 4, "unknown callback 'Weather'"},
        BadRecording{kHeader + "1.1234567 callback Power 1\n", 4, "expected a time"},
        BadRecording{kHeader + "-1.0 callback Power 1\n", 4, "expected a time"},
        BadRecording{kHeader + "0x8000000000000000.0 callback Power 1\n", 4, "expected a time"}));

TEST(RecordingTest, WrittenEventsReadBackAsWritten) {
  // GetDefaultProfile takes 12 parameters: a value of every kind, then 7s.
  std::vector<Value> values = {Value::Number(-128),
                               Value::Text("tab\there \"quoted\" back\\slash Café €"),
                               Value::Text("C:\\images\\x", true),
                               Value::Null(),
                               Value::Secret(),
                               Value::Numbers({-75, 0, 4294967295}),
                               Value::Bytes({0, 0x7f, 0xff}),
                               Value::Number(static_cast<int64_t>(0xfffffffffffffff0ull))};
  values.resize(12, Value::Number(7));
  const std::string call = FormatCall(12345678, 42, "GetDefaultProfile", values, 1014);
  const std::string text = kHeader + call +
                           FormatCallback(12400000, "NMEA", {Value::Text("$GPGGA,1*00\r\n")}) +
                           FormatCallback(12400000, "DeviceRemoval", {});
  // The same recording with Windows line ends reads the same.
  for (const std::string& written : {text, std::regex_replace(text, std::regex("\n"), "\r\n")}) {
    Recording recording;
    ASSERT_EQ(ReadRecording(written, recording).line, 0) << written;
    ASSERT_EQ(recording.events.size(), 3u);
    // Written again: every value of its kind, the times, the result.
    const Event& first = recording.events[0];
    EXPECT_EQ(FormatCall(first.timeUs, first.durationUs, first.name, first.values, first.result), call);
    EXPECT_EQ(first.values[1].text, values[1].text);
    EXPECT_EQ(recording.events[1].values[0].text, "$GPGGA,1*00\r\n");
    EXPECT_EQ(std::pair(recording.events[2].type, recording.events[2].line),
              std::pair(Event::Type::kCallback, 6));
  }
}

TEST(CallCodecTest, ReplayWritesTheRecordedOutputsWithinTheCallersSizes) {
  // The library's answer: three message list entries and a long text.
  ULONG requestedTag = 1, listSize = 3;
  ULONG list[6] = {0, 1, 4, 1, 9, 1};
  const Arg listArgs[] = {ToArg(ULONG{1}), ToArg(&requestedTag), ToArg(&listSize), ToArg(&list[0])};
  Capacities capacities;
  capacities.of[2] = 3;
  const std::vector<Value> recorded = EncodeCall("GetSMSList", listArgs, 4, capacities);
  EXPECT_EQ(FormatValue(recorded[3]), "[0,1,4,1,9,1]");

  // A caller that offers room for one entry gets one, and is told one.
  ULONG offered = 1;
  ULONG room[4] = {77, 77, 77, 77};
  const Arg replayArgs[] = {ToArg(ULONG{1}), ToArg(&requestedTag), ToArg(&offered), ToArg(&room[0])};
  ApplyOutputs("GetSMSList", replayArgs, 4, recorded);
  EXPECT_EQ(offered, 1u);
  EXPECT_EQ(std::vector(room, room + 4), (std::vector<ULONG>{0, 1, 77, 77}));

  char name[6] = "-----";
  const Arg textArgs[] = {ToArg(BYTE{6}), ToArg(name)};
  ApplyOutputs("GetModelID", textArgs, 2, {Value::Number(6), Value::Text("a much longer model name")});
  EXPECT_STREQ(name, "a muc");
}

TEST(CallCodecTest, SecretsAreNeverEncoded) {
  ULONG verifyLeft = 3, unblockLeft = 10;
  const Arg pinArgs[] = {ToArg(ULONG{1}), ToArg(static_cast<const char*>("73915")), ToArg(&verifyLeft),
                         ToArg(&unblockLeft)};
  const std::vector<Value> pin = EncodeCall("UIMVerifyPIN", pinArgs, 4, Capacities{});
  EXPECT_EQ(pin[1].kind, Value::Kind::kSecret);
  EXPECT_EQ(FormatValue(pin[2]), "3");

  const char* const lock = "4321";
  const Arg lockArgs[] = {ToArg(ULONG{1}), ToArg(lock)};
  EXPECT_EQ(EncodeCall("SetLock", lockArgs, 2, Capacities{})[1].kind, Value::Kind::kSecret);
  EXPECT_EQ(EncodeCall("ResetToFactoryDefaults", &lockArgs[1], 1, Capacities{})[0].kind,
            Value::Kind::kSecret);
}

TEST(CallCodecTest, InputsMatchComparesNumbersAndNarrowTextsOnly) {
  const char* apn = "internet.test";
  // Made by hand: on a 32-bit build uintptr_t is ULONG's type, and ToArg takes it for a ULONG.
  const Arg args[] = {ToArg(ULONG{0}), ToArg(apn), Arg{ArgType::kUintptr, 0x1234, nullptr}};
  EXPECT_TRUE(InputsMatch(args, 3, {Value::Number(0), Value::Text("internet.test"), Value::Number(99)}));
  EXPECT_FALSE(InputsMatch(args, 3, {Value::Number(1), Value::Text("internet.test"), Value::Number(99)}));
  EXPECT_FALSE(InputsMatch(args, 3, {Value::Number(0), Value::Text("other"), Value::Number(99)}));
  EXPECT_FALSE(InputsMatch(args, 3, {Value::Number(0), Value::Null(), Value::Number(99)}));
  EXPECT_TRUE(InputsMatch(args, 3, {Value::Number(0), Value::Secret(), Value::Number(99)}));
  char model[8];
  const Arg sized[] = {ToArg(BYTE{8}), ToArg(model)};
  EXPECT_TRUE(InputsMatch(sized, 2, {Value::Number(100), Value::Text("recorded")}));
}

}  // namespace
}  // namespace veskrec
