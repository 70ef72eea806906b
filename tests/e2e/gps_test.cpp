// GPS tracking through the simulated modem: start and stop, sentences becoming at most one position
// notification per period, and what detach, Close and the first generation do to tracking.
#include <string>
#include <vector>

#include "e2e_host.h"
#include "platform/clock.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

constexpr uint32_t kGpsPeriodMs = 5000;

// Sent without a checksum, which a sentence may leave out; the simulator's own sentences carry one.
const std::string kFixAtFirst = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W";
const std::string kFixAtSecond = "$GPRMC,123520,A,4807.538,N,01131.500,E,022.4,084.4,230394,003.1,W";

// Sentences only when a test sends them.
const char* const kQuietReceiver = "[timing]\nnmea_ms = 3600000\n";
// A receiver that reports the same position every tick.
const char* const kStandingReceiver = "[gps]\npoint = 48.1173 11.5167 545.4 8\n";

class GpsTest : public EndToEndTest {
 protected:
  void AttachAndStart(const char* scenario) {
    AttachAndWait(scenario);
    ASSERT_TRUE(sdk_->StartGPSTracking());
  }

  // The next position notification after index from; its index goes to *index when asked for.
  GpsInfo NextGps(std::size_t from, std::size_t* index = nullptr) {
    const auto notification = Next(WWAN_NOTIFICATION_GPS_INFO_CHANGED, from, index);
    EXPECT_TRUE(notification.gps) << "no GPS payload";
    return notification.gps ? *notification.gps : GpsInfo{};
  }

  // True when no position notification comes after index from within three periods.
  bool NoGpsAfter(std::size_t from) {
    const auto periods =
        std::chrono::duration_cast<std::chrono::milliseconds>(platform::ScaledDuration(3 * kGpsPeriodMs));
    return !sink_.WaitFor(WWAN_NOTIFICATION_GPS_INFO_CHANGED, periods, from + 1);
  }

  // Sends a sentence and returns once the worker has handled it.
  void Send(const std::string& sentence) {
    const std::size_t handled = traceLog_.Count("<== CVeskSDK::HandleNMEA");
    second_.Event(("nmea = " + sentence).c_str());
    ASSERT_TRUE(WaitForLines("<== CVeskSDK::HandleNMEA", handled + 1));
  }
};

TEST_F(GpsTest, PositionsOfATrackArriveAtMostOncePerPeriod) {
  AttachAndStart("[gps]\npoint = 48.1 11.5 500 5\npoint = 48.2 11.6 510 6\npoint = -33.9 -151.2 20 7\n");
  std::size_t index = 0;
  std::vector<Clock::time_point> times;
  for (int i = 0; i < 4; ++i) {
    const GpsInfo gps = NextGps(index + (i == 0 ? 0 : 1), &index);
    times.push_back(sink_.Notifications()[index].time);
    EXPECT_EQ(std::pair(gps.hasFix, gps.altitudeValid), (std::pair<uint8_t, uint8_t>(1, 1)));
  }
  // Measured where the host receives them, so one late delivery may shorten the next gap: judge the
  // whole span, which a notification per sentence (one a second) would fall far short of.
  EXPECT_GE(times.back() - times.front(), AtLeast(kGpsPeriodMs * static_cast<uint32_t>(times.size() - 2)));
  EXPECT_TRUE(sdk_->StopGPSTracking());
}

struct SentenceRow {
  const char* label;
  std::string sentence;
  bool posted;
  double latitude;  // of the notification it brings, GpsInfo::kUnknown for no fix
};

class GpsSentenceTest : public GpsTest, public testing::WithParamInterface<SentenceRow> {};

TEST_P(GpsSentenceTest, SentenceAfterAFix) {
  const SentenceRow& row = GetParam();
  AttachAndStart(kQuietReceiver);
  Send(kFixAtFirst);
  std::size_t index = 0;
  NextGps(0, &index);
  Send(row.sentence);
  if (!row.posted) {
    EXPECT_TRUE(NoGpsAfter(index));
    return;
  }
  const GpsInfo gps = NextGps(index + 1);
  EXPECT_EQ(gps.hasFix, row.latitude == GpsInfo::kUnknown ? 0 : 1);
  EXPECT_NEAR(gps.latitude, row.latitude, 1e-9);
}

constexpr double kSecondLatitude = 48.0 + 7.538 / 60.0;
INSTANTIATE_TEST_SUITE_P(
    Rows, GpsSentenceTest,
    testing::Values(SentenceRow{"RmcWithStatusV", "$GPRMC,123521,V,,,,,,,230394,,", true, GpsInfo::kUnknown},
                    SentenceRow{"GsvWithoutAPosition", "$GPGSV,1,1,01,12,40,083,46", false, 0},
                    SentenceRow{"TextAfterTheLineBreak", kFixAtSecond + "\r\n$GPRMC,garbage*00", true,
                                kSecondLatitude}),
    kLabel);

// A receiver standing still is reported once; a second start makes its position news again.
TEST_F(GpsTest, SecondStartResetsToNoFixAndFindsTrackingEnabled) {
  AttachAndStart(kStandingReceiver);
  std::size_t index = 0;
  NextGps(0, &index);
  // Twenty more ticks of the receiver, four notification periods.
  ASSERT_TRUE(WaitForLines("<== CVeskSDK::HandleNMEA", traceLog_.Count("<== CVeskSDK::HandleNMEA") + 60));
  Settle();
  EXPECT_EQ(Notifications(WWAN_NOTIFICATION_GPS_INFO_CHANGED).size(), 1u);

  ASSERT_TRUE(sdk_->StartGPSTracking());
  EXPECT_EQ(second_.CallCount("SetPDSState"), 1u);
  EXPECT_EQ(second_.CallCount("SetNMEACallback"), 2u);
  const GpsInfo again = NextGps(index + 1);
  EXPECT_EQ(again.hasFix, 1);
  EXPECT_NEAR(again.latitude, 48.1173, 1e-5);
}

TEST_F(GpsTest, WithoutALibraryStartAndStopFailButStopStillEndsTracking) {
  EXPECT_FALSE(sdk_->StartGPSTracking());
  EXPECT_TRUE(sdk_->IsGPSTrackingActive());

  EXPECT_FALSE(sdk_->StopGPSTracking());
  EXPECT_FALSE(sdk_->IsGPSTrackingActive());
  EXPECT_EQ(second_.CallCount("SetNMEACallback") + first_.CallCount("SetNMEACallback"), 0u);
}

TEST_F(GpsTest, FirstGenerationFailsAfterSettingUp) {
  const char* scenario = "[modem]\ngeneration = 1000\n";
  first_.Load(scenario);
  AttachUntilEvaluated(scenario);
  EXPECT_FALSE(sdk_->StartGPSTracking());
  EXPECT_TRUE(sdk_->IsGPSTrackingActive());
  EXPECT_EQ(first_.CallCount("SetNMEACallback"), 1u);
  EXPECT_EQ(first_.CallCount("SetPDSState"), 1u);
  EXPECT_FALSE(sdk_->StopGPSTracking());
  EXPECT_FALSE(sdk_->IsGPSTrackingActive());
  const auto card = std::make_unique<CellularCardInfo>();
  ASSERT_TRUE(sdk_->GetCellularCardInfo(card.get()));
  EXPECT_EQ(std::u16string(card->libraryGeneration), u"Vesk1000");
}

// Detach stops tracking, nothing restarts it, and after Close the GPS timer is gone for good.
TEST_F(GpsTest, DetachStopsTrackingAndAfterCloseStartFails) {
  AttachAndStart(kQuietReceiver);
  Send(kFixAtFirst);
  std::size_t index = 0;
  NextGps(0, &index);
  ASSERT_TRUE(sdk_->DetachFromCellularDevice());
  EXPECT_FALSE(sdk_->IsGPSTrackingActive());
  EXPECT_EQ(second_.CallCount("SetServiceAutomaticTracking"), 2u);  // on, then off

  AttachAndWait();
  EXPECT_FALSE(sdk_->IsGPSTrackingActive());
  second_.Event(("nmea = " + kFixAtSecond).c_str());
  EXPECT_TRUE(NoGpsAfter(index));
  EXPECT_EQ(second_.CallCount("SetServiceAutomaticTracking"), 2u);

  ASSERT_TRUE(sdk_->Close());
  const uint32_t registrations = second_.CallCount("SetNMEACallback");
  ASSERT_TRUE(sdk_->Open());
  EXPECT_FALSE(sdk_->StartGPSTracking());
  EXPECT_EQ(second_.CallCount("SetNMEACallback"), registrations);
}

}  // namespace
}  // namespace e2e
