// The cached GPS state and the notifications its timer sends the host while tracking.
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <tuple>

#include "nmea/gps_fix.h"
#include "plugin_test_host.h"
#include "vesk/values.h"

namespace plugin_test {
namespace {

constexpr int32_t kGpsChanged = WWAN_NOTIFICATION_GPS_INFO_CHANGED;

GpsFix Position(double latitude, double longitude) {
  return {.latitude = latitude, .latitudeValid = true, .longitude = longitude, .longitudeValid = true};
}

class GpsTest : public ScaledPluginHostTest<> {
 protected:
  void SetUp() override {
    ScaledPluginHostTest<>::SetUp();
    OpenWithNmeaPort();
  }
  void OpenWithNmeaPort() {
    DeviceNode port;
    port.kind = DEVICE_NODE_KIND_PORTS;
    port.deviceDescription = u"Vesk NMEA Port";
    port.comPort = u"COM6";
    sdk_->SetNmeaPortFromDeviceList({port});
    ASSERT_TRUE(sdk_->Open());
  }

  // The GPS record of the next GPS notification at or after index `from`, which names its port.
  GpsInfo NextGpsInfo(std::size_t* from) {
    const auto index = sink_.WaitFor(kGpsChanged, kWait, *from);
    if (!index) {
      ADD_FAILURE() << "no GPS notification";
      return GpsInfo{};
    }
    *from = *index + 1;
    const GpsInfo info = sink_.Notifications()[*index].gps.value_or(GpsInfo{});
    EXPECT_EQ(info.sourceText, u"COM6");
    return info;
  }
};

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

// A record with a fix changes only what it gives as valid; one without a fix forgets everything.
TEST_F(GpsTest, ARecordMergesItsValidValuesAndALostFixClearsThem) {
  std::size_t from = sink_.Count();
  ASSERT_TRUE(sdk_->StartGPSNotificationTimer());
  GpsFix first = Position(10, 20);
  std::tie(first.speed, first.speedValid) = std::pair(3.0, true);
  sdk_->UpdateCachedGPSInfo(first);
  NextGpsInfo(&from);
  GpsInfo record{.hasFix = 1, .sourceText = u"", .latitude = 11, .longitude = 20, .heading = 90};
  record.headingValid = record.satellitesValid = 1;
  record.satellites = 6;
  record.speed = 7;  // not valid: the cached speed stays
  sdk_->UpdateCachedGPSInfo(record);
  const GpsInfo merged = NextGpsInfo(&from);
  EXPECT_EQ(std::make_tuple(merged.hasFix, merged.latitude, merged.longitude, merged.heading, merged.headingValid,
                            merged.speed, merged.speedValid, merged.altitudeValid, merged.satellites),
            std::make_tuple(1, 11.0, 20.0, 90.0, 1, 3.0, 1, 0, 6));
  sdk_->UpdateCachedGPSInfo(GpsInfo{});
  const GpsInfo lost = NextGpsInfo(&from);
  EXPECT_EQ(std::make_tuple(lost.hasFix, lost.latitude, lost.speedValid, lost.satellitesValid),
            std::make_tuple(0, GpsInfo::kUnknown, 0, 0));
}

// Run under the sanitizers: a timer callback must never outlive the object it posts for.
TEST_F(GpsTest, DestroyingWhileTrackingIsSafe) {
  for (int round = 0; round < 3; ++round) {
    if (round > 0) {
      sdk_ = std::make_unique<TestCellularSDK>(&sink_, &traceLog_, &powerSource_);
      OpenWithNmeaPort();
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
