// An attached, idle module wakes only for its timers: the device power poll every 6 s and, while GPS
// tracking is on, the position notice every 5 s. Counted as timer-queue dispatches over a minute.
#include "e2e_host.h"
#include "platform/clock.h"
#include "platform/timer_queue.h"

namespace e2e {
namespace {

constexpr uint32_t kMinuteMs = 60000;

struct IdleCase {
  const char* name;
  bool tracking;
  uint64_t most;   // the periodic timers' expiries in a minute, plus one each for the window's edges
  uint64_t least;  // a loaded machine delays expiries, but the poll must go on
};

class IdleTest : public EndToEndTest, public testing::WithParamInterface<IdleCase> {};

TEST_P(IdleTest, WakesOnlyForItsTimers) {
  // GPS sentences only when asked for: the simulator's feed is not the module's wake-up.
  second_.Load("[sim]\npin_status = 3\n[timing]\nnmea_ms = 3600000\n");
  AttachAndWait();
  if (GetParam().tracking) {
    ASSERT_TRUE(sdk_->StartGPSTracking());
  }
  Settle();
  const uint64_t before = platform::QueueTimerDispatchCount();
  platform::Sleep(kMinuteMs);
  const uint64_t dispatches = platform::QueueTimerDispatchCount() - before;
  EXPECT_LE(dispatches, GetParam().most);
  EXPECT_GE(dispatches, GetParam().least);
}

INSTANTIATE_TEST_SUITE_P(Minute, IdleTest,
                         testing::Values(IdleCase{"idle", false, 60 / 6 + 1, 3},
                                         IdleCase{"tracking", true, 60 / 6 + 60 / 5 + 2, 6}),
                         [](const testing::TestParamInfo<IdleCase>& info) { return info.param.name; });

}  // namespace
}  // namespace e2e
