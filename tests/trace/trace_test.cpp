#include "trace/trace.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "host/recording_trace_log.h"

namespace {

struct MessageCase {
  const char* name;
  std::function<void(IHostTraceLog*)> trace;
  char channel;
  int32_t level;
  std::string text;
};

class TraceMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(TraceMessageTest, ReachesTheHostAsOneIndentedLine) {
  const MessageCase& c = GetParam();
  hostkit::RecordingTraceLog log;
  c.trace(&log);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].channel, c.channel);
  EXPECT_EQ(lines[0].category, kTraceCategory);
  EXPECT_EQ(lines[0].level, c.level);
  EXPECT_EQ(lines[0].text, c.text);
}

// The device path hands the host the narrowed format, so "%ws" and "%%" are the host's to read.
INSTANTIATE_TEST_SUITE_P(
    Paths, TraceMessageTest,
    testing::Values(MessageCase{"DeviceWideArgument",
                                [](IHostTraceLog* log) {
                                  const char16_t* id = u"USB\\VID_1199&PID_68A3";
                                  TraceDeviceMessage(log, kTraceCategory, kTraceLevelVerbose,
                                                     u"Current ID '%ws'", id);
                                },
                                'A', 5, "    Current ID 'USB\\VID_1199&PID_68A3'"},
                    MessageCase{"DeviceSpecifiersPassedThrough",
                                [](IHostTraceLog* log) {
                                  TraceDeviceMessage(log, kTraceCategory, kTraceLevelError,
                                                     u"problem (%lu) '%hs' \u00e9 100%%", 0xFFFFFFFFu,
                                                     "UMTS");
                                },
                                'A', 2, "    problem (4294967295) 'UMTS' \xC3\xA9 100%"},
                    MessageCase{"NarrowMessage",
                                [](IHostTraceLog* log) {
                                  TraceNarrowMessage(log, kTraceCategory, kTraceLevelWarning,
                                                     "Could not load %hs", "QCWWAN2k.dll");
                                },
                                'A', 3, "    Could not load QCWWAN2k.dll"},
                    MessageCase{"BaseWideMessage",
                                [](IHostTraceLog* log) {
                                  TraceWideMessage(log, kTraceCategory, kTraceLevelInfo,
                                                   u"    SDK is already open");
                                },
                                'W', 4, "    SDK is already open"},
                    MessageCase{"BaseWideArguments",
                                [](IHostTraceLog* log) {
                                  TraceWideMessage(log, kTraceCategory, kTraceLevelVerbose,
                                                   u"    Name %s (%d) 100%%", u"closed", 2);
                                },
                                'W', 5, "    Name closed (2) 100%"}),
    [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });

}  // namespace
