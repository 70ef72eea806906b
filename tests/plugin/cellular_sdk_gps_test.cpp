// The cached GPS state and the notifications its timer sends the host while tracking.
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <ostream>
#include <variant>
#include <vector>

#include "nmea/gps_fix.h"
#include "plugin_test_host.h"
#include "trace/trace.h"
#include "vesk/values.h"

namespace plugin_test {
namespace {

constexpr int32_t kGpsChanged = WWAN_NOTIFICATION_GPS_INFO_CHANGED;

// Three timer periods of real time: any expiry that would post has done so by then.
std::chrono::milliseconds QuietTime() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
      platform::ScaledDuration(3 * CCellularSDK::kGPSNotificationPeriodMs));
}

GpsFix Position(double latitude, double longitude) {
  GpsFix fix;
  fix.latitude = latitude;
  fix.latitudeValid = true;
  fix.longitude = longitude;
  fix.longitudeValid = true;
  return fix;
}

GpsInfo InfoWithFix(double latitude) {
  GpsInfo info;
  info.hasFix = 1;
  info.latitude = latitude;
  return info;
}

using Update = std::variant<GpsFix, GpsInfo>;

class GpsTest : public ScaledPluginHostTest<> {
 protected:
  void SetUp() override {
    ScaledPluginHostTest<>::SetUp();
    DeviceNode port;
    port.kind = DEVICE_NODE_KIND_PORTS;
    port.deviceDescription = u"Vesk NMEA Port";
    port.comPort = u"COM6";
    sdk_->SetNmeaPortFromDeviceList({port});
    ASSERT_TRUE(sdk_->Open());
  }

  void Apply(const Update& update) {
    std::visit([this](const auto& value) { sdk_->UpdateCachedGPSInfo(value); }, update);
  }

  // The GPS record of the next GPS notification at or after index `from`.
  GpsInfo NextGpsInfo(std::size_t* from) {
    const auto index = sink_.WaitFor(kGpsChanged, kWait, *from);
    if (!index) {
      ADD_FAILURE() << "no GPS notification";
      return GpsInfo{};
    }
    *from = *index + 1;
    return sink_.Notifications()[*index].gps.value_or(GpsInfo{});
  }
};

struct GpsCase {
  const char* name;
  std::vector<Update> updates;
  bool posts;
  uint8_t hasFix;
  double latitude;
  friend void PrintTo(const GpsCase& c, std::ostream* os) { *os << c.name; }
};

class GpsChangeTest : public GpsTest, public testing::WithParamInterface<GpsCase> {};

TEST_P(GpsChangeTest, EachChangeIsPostedOnceAtTheNextTick) {
  const auto started = std::chrono::steady_clock::now();
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  for (const Update& update : GetParam().updates) {
    Apply(update);
  }
  std::size_t from = 0;
  if (GetParam().posts) {
    const GpsInfo info = NextGpsInfo(&from);
    ASSERT_GT(from, 0u);
    EXPECT_GE(sink_.Notifications()[from - 1].time - started,
              platform::ScaledDuration(CCellularSDK::kGPSNotificationPeriodMs));
    EXPECT_EQ(info.hasFix, GetParam().hasFix);
    EXPECT_EQ(info.latitude, GetParam().latitude);
    EXPECT_EQ(info.sourceText, u"COM6");
  }
  EXPECT_FALSE(sink_.WaitFor(kGpsChanged, QuietTime(), from));
}

INSTANTIATE_TEST_SUITE_P(
    Updates, GpsChangeTest,
    testing::Values(
        GpsCase{"SamePositionTwice", {Position(48.1173, 11.5), Position(48.1173, 11.5)}, true, 1, 48.1173},
        GpsCase{"NoFixOnNoFixCache", {GpsInfo{}}, false, 0, 0},
        GpsCase{"FixWithNothingValid", {GpsFix{}}, false, 0, 0},
        GpsCase{"FixThenLost", {Position(48.1173, 11.5), GpsInfo{}}, true, 0, GpsInfo::kUnknown},
        GpsCase{"WholeRecordWithFix", {InfoWithFix(-33.9)}, true, 1, -33.9},
        GpsCase{"FixAtUnknownPosition", {InfoWithFix(GpsInfo::kUnknown)}, true, 1, GpsInfo::kUnknown}),
    [](const testing::TestParamInfo<GpsCase>& info) { return std::string(info.param.name); });

TEST_F(GpsTest, LaterChangesArePostedWithTheirValuesUntilStop) {
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  std::size_t from = 0;
  sdk_->UpdateCachedGPSInfo(Position(10, 20));
  EXPECT_EQ(NextGpsInfo(&from).latitude, 10);
  GpsFix moved = Position(11, 20);
  moved.satellites = 7;
  moved.satellitesValid = true;
  sdk_->UpdateCachedGPSInfo(moved);
  const GpsInfo info = NextGpsInfo(&from);
  EXPECT_EQ(info.latitude, 11);
  EXPECT_EQ(info.satellites, 7);
  EXPECT_EQ(info.satellitesValid, 1);
  EXPECT_EQ(info.headingValid, 0);

  ASSERT_TRUE(sdk_->StopGPSNotificationTimer());
  EXPECT_FALSE(sdk_->IsGPSTrackingActive());
  sdk_->UpdateCachedGPSInfo(Position(30, 40));
  EXPECT_FALSE(sink_.WaitFor(kGpsChanged, QuietTime(), from));
}

TEST_F(GpsTest, StopWaitsForAPostInProgressSoThatNothingFollowsIt) {
  std::promise<void> posting, goOn;
  std::atomic<bool> held{false};
  traceLog_.SetLineObserver([&, go = goOn.get_future().share()](const hostkit::TraceLine& line) {
    if (line.text.find("'WWAN_NOTIFICATION_GPS_INFO_CHANGED'") != std::string::npos && !held.exchange(true)) {
      posting.set_value();
      go.wait_for(kWait);  // the expiry has taken its copy and not yet queued it
    }
  });
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  sdk_->UpdateCachedGPSInfo(Position(10, 20));
  ASSERT_EQ(posting.get_future().wait_for(kWait), std::future_status::ready);
  auto stop = std::async(std::launch::async, [&] { return sdk_->StopGPSNotificationTimer(); });
  EXPECT_EQ(stop.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
  goOn.set_value();
  EXPECT_TRUE(stop.get());
  traceLog_.SetLineObserver(nullptr);

  sdk_->PostNotification(WWAN_NOTIFICATION_PROBE_INFO, 0, 0);
  EXPECT_TRUE(sink_.WaitForSequence({kGpsChanged, WWAN_NOTIFICATION_PROBE_INFO}, kWait).has_value());
}

TEST_F(GpsTest, ChangeMadeWhileNotTrackingIsDroppedByStart) {
  sdk_->UpdateCachedGPSInfo(Position(10, 20));
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  EXPECT_TRUE(sdk_->IsGPSTrackingActive());
  EXPECT_FALSE(sink_.WaitFor(kGpsChanged, QuietTime()));
}

TEST_F(GpsTest, CloseEndsTheTimerForGood) {
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  ASSERT_TRUE(sdk_->Close());
  ASSERT_TRUE(sdk_->Open());
  EXPECT_FALSE(sdk_->StartGPSNotificationTimer());
  EXPECT_EQ(traceLog_.Count("    Could not start gps timer", kTraceLevelError), 1u);
  // The flag follows the request even though no notification can come.
  EXPECT_TRUE(sdk_->IsGPSTrackingActive());
  EXPECT_FALSE(sdk_->StopGPSNotificationTimer());
  EXPECT_EQ(traceLog_.Count("    Could not stop gps timer", kTraceLevelError), 1u);
  EXPECT_FALSE(traceLog_.Contains("Could not close GPS notification timer"));
}

// Run under the sanitizers: a timer callback must never outlive the object it posts for.
TEST_F(GpsTest, DestroyingWhileTrackingIsSafe) {
  for (int round = 0; round < 3; ++round) {
    if (round > 0) {
      sdk_ = std::make_unique<TestCellularSDK>(&sink_, &traceLog_, &powerSource_);
      ASSERT_TRUE(sdk_->Open());
    }
    std::size_t from = sink_.Count();
    ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
    sdk_->UpdateCachedGPSInfo(Position(round, round));
    NextGpsInfo(&from);
    sdk_->UpdateCachedGPSInfo(Position(round + 1, round));
    sdk_.reset();
  }
}

}  // namespace
}  // namespace plugin_test
