// Scope lines and messages as the host receives them.
#include "trace/scope_trace.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <tuple>
#include <utility>

#include "host/kit/recording_trace_log.h"
#include "trace/trace.h"

namespace {

struct ScopeCase {
  const char* testName;
  const char* scopeName;
  std::optional<int32_t> level;
  bool returnEarly;
  int32_t expectedLevel;
  bool staticName = false;  // passed as a literal the scope keeps by address
};

// Names on both sides of the length the scope keeps without allocating.
const std::string kName63 = "CVeskSDK::" + std::string(53, 'a');
const std::string kName64 = "CVeskSDK::" + std::string(54, 'b');

// An operation shaped like the module's: the scope first, then a way out before the work is done.
bool TracedOperation(IHostTraceLog* log, const ScopeCase& c) {
  char name[128] = {};
  if (c.scopeName != nullptr) {
    std::strncpy(name, c.scopeName, sizeof(name) - 1);
  }
  const char* shownName = c.scopeName != nullptr ? name : nullptr;
  std::optional<ScopeTrace> scope;
  if (c.staticName) {
    scope.emplace(log, kTraceCategory, ScopeTrace::StaticName{c.scopeName});
  } else if (c.level) {
    scope.emplace(log, kTraceCategory, shownName, *c.level);
  } else {
    scope.emplace(log, kTraceCategory, shownName);
  }
  std::memset(name, 'X', sizeof(name) - 1);  // the scope keeps its own copy
  if (c.returnEarly) {
    return false;
  }
  TraceNarrowMessage(log, kTraceCategory, kTraceLevelInfo, "working");
  return true;
}

class ScopeTraceTest : public testing::TestWithParam<ScopeCase> {};

TEST_P(ScopeTraceTest, WritesOneEntryAndOneExitLine) {
  const ScopeCase& c = GetParam();
  hostkit::RecordingTraceLog log;
  TracedOperation(&log, c);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), c.returnEarly ? 2u : 3u);
  const std::string name = c.scopeName != nullptr ? c.scopeName : "NULL";
  for (const auto& [line, text] :
       {std::pair(lines.front(), "==> " + name), std::pair(lines.back(), "<== " + name)}) {
    EXPECT_EQ(std::tuple(line.channel, line.category, line.level, line.text),
              std::tuple('A', kTraceCategory, c.expectedLevel, text));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scopes, ScopeTraceTest,
    testing::Values(ScopeCase{"EarlyReturn", "CVeskSDK::Connect", std::nullopt, true, 5},
                    ScopeCase{"NullNameGivenLevel", nullptr, 6, false, 6},
                    ScopeCase{"LongestKeptInPlace", kName63.c_str(), std::nullopt, false, 5},
                    ScopeCase{"ShortestOnTheHeap", kName64.c_str(), std::nullopt, true, 5},
                    ScopeCase{"StaticByAddress", "CVeskSDK::SignalStrengthCallback", std::nullopt, false, 5,
                              true},
                    ScopeCase{"StaticNull", nullptr, std::nullopt, true, 5, true}),
    [](const testing::TestParamInfo<ScopeCase>& info) { return info.param.testName; });

struct MessageCase {
  const char* name;
  std::function<void(IHostTraceLog*)> trace;
  int32_t level;
  std::string text;
  char channel = 'A';
};

class TraceMessageTest : public testing::TestWithParam<MessageCase> {};

TEST_P(TraceMessageTest, ReachesTheHostAsOneIndentedLine) {
  const MessageCase& c = GetParam();
  hostkit::RecordingTraceLog log;
  c.trace(&log);
  const auto lines = log.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(std::tuple(lines[0].channel, lines[0].category, lines[0].level, lines[0].text),
            std::tuple(c.channel, kTraceCategory, c.level, c.text));
}

const std::u16string kWide251(251, u'w');
const std::u16string kWide252 = std::u16string(252, u'w') + u"\u00e9%d";
const std::string kNarrow251(251, 'n');
const std::string kNarrow300 = std::string(300, 'n') + "%hs";

// The device path hands the host the narrowed format, so "%ws" and "%%" are the host's to read.
// Formats up to 251 characters are built in place, longer ones on the heap.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Paths, TraceMessageTest, testing::Values(
    MessageCase{"DeviceWideArgument", [](IHostTraceLog* log) {
        TraceDeviceMessage(log, kTraceCategory, 5, u"Current ID '%ws'", u"USB\\VID_1199&PID_68A3"); },
        5, "    Current ID 'USB\\VID_1199&PID_68A3'"},
    MessageCase{"DeviceLongestInPlace", [](IHostTraceLog* log) {
        TraceDeviceMessage(log, kTraceCategory, 4, kWide251.c_str()); }, 4, "    " + std::string(251, 'w')},
    MessageCase{"DeviceLongWithNonAscii", [](IHostTraceLog* log) {
        TraceDeviceMessage(log, kTraceCategory, 4, kWide252.c_str(), 7); },
        4, "    " + std::string(252, 'w') + "\xC3\xA9" + "7"},
    MessageCase{"DeviceShortNonAscii", [](IHostTraceLog* log) {
        TraceDeviceMessage(log, kTraceCategory, 4, u"caf\u00e9 %d", 1); }, 4, "    caf\xC3\xA9 1"},
    MessageCase{"DeviceNullFormat", [](IHostTraceLog* log) {
        TraceDeviceMessage(log, kTraceCategory, 4, static_cast<const char16_t*>(nullptr)); }, 4, "    "},
    MessageCase{"NarrowNullFormat", [](IHostTraceLog* log) {
        TraceNarrowMessage(log, kTraceCategory, 4, static_cast<const char*>(nullptr)); }, 4, "    "},
    MessageCase{"NarrowLongestInPlace", [](IHostTraceLog* log) {
        TraceNarrowMessage(log, kTraceCategory, 3, kNarrow251.c_str()); }, 3, "    " + kNarrow251},
    MessageCase{"NarrowLong", [](IHostTraceLog* log) {
        TraceNarrowMessage(log, kTraceCategory, 4, kNarrow300.c_str(), "!"); }, 4, "    " + std::string(300, 'n') + "!"},
    MessageCase{"NarrowTwinAsWritten", [](IHostTraceLog* log) {
        TraceIndentedMessage(log, kTraceCategory, 4, "    signal strength '%d' %hs", -71, "dBm"); },
        4, "    signal strength '-71' dBm"},
    MessageCase{"BaseWideArguments", [](IHostTraceLog* log) {
        TraceWideMessage(log, kTraceCategory, 5, u"    Name %s (%d) 100%%", u"closed", 2); },
        5, "    Name closed (2) 100%", 'W'}),
    [](const testing::TestParamInfo<MessageCase>& info) { return info.param.name; });
// clang-format on

TEST(ScopeTraceTest, NullLogWritesNothing) {
  ScopeTrace scope(nullptr, kTraceCategory, "CVeskSDK::Close");
  TraceDeviceMessage(nullptr, kTraceCategory, kTraceLevelError, u"unused %ws", u"x");
  TraceWideMessage(nullptr, kTraceCategory, kTraceLevelError, u"    unused");
}

}  // namespace
