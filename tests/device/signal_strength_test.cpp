// The signal-percent curve and the per-interface signal lines.
#include "device/signal_strength.h"

#include <gtest/gtest.h>

#include <utility>

#include "host/recording_trace_log.h"
#include "trace/trace.h"

namespace {

class SignalPercentTest : public testing::TestWithParam<std::pair<int32_t, int32_t>> {};

TEST_P(SignalPercentTest, FollowsTheCurveAndClampsOutsideIt) {
  EXPECT_EQ(SignalStrengthToPercent(GetParam().first), GetParam().second) << GetParam().first << " dBm";
}

// Both ends, and the first and last entry of each row of the curve.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Curve, SignalPercentTest, testing::ValuesIn(std::vector<std::pair<int32_t, int32_t>>{
    {-128, 0}, {-113, 0}, {-112, 0}, {-111, 2}, {-103, 21}, {-102, 23}, {-100, 28}, {-93, 44}, {-92, 46},
    {-88, 55}, {-83, 66}, {-82, 69}, {-78, 76}, {-73, 85}, {-72, 86}, {-65, 98}, {-64, 100}, {-63, 100},
    {127, 100}}));
// clang-format on

class RadioInterfaceSignalTest : public testing::TestWithParam<std::tuple<ULONG, const char*, int32_t>> {};

TEST_P(RadioInterfaceSignalTest, NamesTheInterface) {
  const auto& [radioInterface, text, level] = GetParam();
  hostkit::RecordingTraceLog traceLog;
  LogRadioInterfaceSignal(&traceLog, kTraceCategory, -97, radioInterface);
  const auto lines = traceLog.lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].text, text);
  EXPECT_EQ(lines[0].level, level);
}

INSTANTIATE_TEST_SUITE_P(
    Interfaces, RadioInterfaceSignalTest,
    testing::Values(std::make_tuple(0u, "    no service signal strength '-97' dBm", kTraceLevelInfo),
                    std::make_tuple(5u, "    UMTS signal strength '-97' dBm", kTraceLevelInfo),
                    std::make_tuple(6u, "    unknown interface type (6) signal strength '-97' dBm",
                                    kTraceLevelError)));

}  // namespace
