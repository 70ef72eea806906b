#include "platform/clock.h"

#include <gtest/gtest.h>

#include <limits>
#include <thread>

#include "platform/scoped_time_scale.h"

namespace platform {
namespace {

class ClockScaleTest : public testing::TestWithParam<double> {};

TEST_P(ClockScaleTest, SleepAndTickCountFollowTheScale) {
  ScopedTimeScale scale(GetParam());
  const uint32_t ticksBefore = TickCount();
  const auto realBefore = std::chrono::steady_clock::now();
  Sleep(400);
  const auto real = std::chrono::steady_clock::now() - realBefore;
  EXPECT_GE(real, ScaledDuration(400));
  EXPECT_LT(real, ScaledDuration(400) + std::chrono::milliseconds(500));
  EXPECT_GE(TickCount() - ticksBefore, 400u);
}

INSTANTIATE_TEST_SUITE_P(Scales, ClockScaleTest, testing::Values(0.02, 1.0));

class ClockScaleChangeTest : public testing::TestWithParam<std::pair<double, double>> {};

TEST_P(ClockScaleChangeTest, TickCountNeitherJumpsNorGoesBack) {
  ScopedTimeScale scale(GetParam().first);
  // Enough history that rescaling all of it would show as a jump of many seconds.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  const uint32_t before = TickCount();
  SetTimeScale(GetParam().second);
  const uint32_t after = TickCount();
  EXPECT_LE(static_cast<int32_t>(before - after), 0);
  EXPECT_LT(after - before, 20000u);
}

// A scale that is not a positive finite number is ignored.
TEST(ClockScaleRefusalTest, KeepsTheScaleInForce) {
  ScopedTimeScale scale(0.5);
  using limits = std::numeric_limits<double>;
  for (double refused : {0.0, -1.0, limits::quiet_NaN(), limits::infinity()}) {
    SetTimeScale(refused);
    EXPECT_EQ(ScaledDuration(1000), std::chrono::milliseconds(500)) << refused;
  }
}

INSTANTIATE_TEST_SUITE_P(Changes, ClockScaleChangeTest,
                         testing::Values(std::pair(1.0, 0.001), std::pair(0.001, 1.0)));

}  // namespace
}  // namespace platform
