#include <cstdio>
#include <iterator>
#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

using GpsTest = SimTest;

bool ChecksumHolds(const std::string& sentence) {
  const size_t star = sentence.find('*');
  if (sentence.empty() || sentence[0] != '$' || star == std::string::npos) {
    return false;
  }
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) {
    sum ^= static_cast<unsigned char>(sentence[i]);
  }
  unsigned stated = 0;
  return std::sscanf(sentence.c_str() + star + 1, "%2X", &stated) == 1 && stated == sum;
}

TEST_F(GpsTest, SentencesFlowOnlyWhileTrackingIsOn) {
  ConnectWithCallbacks();
  ULONG enabled = 9, tracking = 9;
  ASSERT_EQ(0u, CALL(lib_, GetPDSState, &enabled, &tracking));
  EXPECT_EQ(0u, enabled);
  ASSERT_EQ(0u, CALL(lib_, SetPDSState, 1));
  ASSERT_EQ(0u, CALL(lib_, SetServiceAutomaticTracking, 1));
  ASSERT_TRUE(recorder_.WaitFor("pds 1 1"));
  ASSERT_TRUE(recorder_.WaitFor("nmea", 3));
  for (const auto& record : recorder_.Records()) {
    if (record.text.rfind("nmea ", 0) == 0) {
      EXPECT_TRUE(ChecksumHolds(record.text.substr(5))) << record.text;
    }
  }

  ASSERT_EQ(0u, CALL(lib_, SetServiceAutomaticTracking, 0));
  ASSERT_TRUE(recorder_.WaitFor("pds 1 0"));
  // An event posted after tracking stopped comes after every sentence still due.
  const size_t sentences = recorder_.Count("nmea $");
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "nmea = MARK"));
  ASSERT_TRUE(recorder_.WaitFor("nmea MARK"));
  const auto records = recorder_.Records();
  EXPECT_EQ("nmea MARK", records.back().text);
  EXPECT_LE(recorder_.Count("nmea $"), sentences + 1) << "at most the tick already due";
}

TEST_F(GpsTest, ScenarioSentencesReplaceTheGeneratedOnes) {
  ASSERT_EQ(0, lib_.LoadScenario("[gps]\npds_enabled = yes\nauto_tracking = yes\nnmea = $GPGSV,1*00\n"));
  ConnectWithCallbacks();
  ASSERT_TRUE(recorder_.WaitFor("nmea", 2));
  EXPECT_EQ(recorder_.Count("nmea"), recorder_.Count("nmea $GPGSV,1*00"));
}

// Each tick reports one point as RMC, GGA and GNS; southern and western points get S and W, and
// minutes that round up to 60 carry into the degrees.
TEST_F(GpsTest, ATrackIsReportedPointByPoint) {
  ASSERT_EQ(0, lib_.LoadScenario("[gps]\npds_enabled = yes\nauto_tracking = yes\n"
                                 "point = 48.1173 11.516667 545.4 9\npoint = -33.9 -151.2\n"
                                 "point = 10.9999999 -0.5 -12.5 12\n[timing]\nnmea_ms = 1000\n"))
      << lib_.LastError();
  ConnectWithCallbacks();
  ASSERT_TRUE(recorder_.WaitFor("nmea", 9));
  std::vector<std::string> sentences;
  for (const auto& record : recorder_.Records()) {
    if (record.text.rfind("nmea ", 0) == 0) {
      sentences.push_back(record.text.substr(5));
      EXPECT_TRUE(ChecksumHolds(sentences.back())) << record.text;
    }
  }
  ASSERT_GE(sentences.size(), 9u);
  const char* const expected[] = {
      "$GPRMC,120000.00,A,4807.0380,N,01131.0000,E,",  "$GPGGA,120000.00,4807.0380,N,01131.0000,E,1,09,0.9,545.4,",
      "$GNGNS,120000.00,4807.0380,N,01131.0000,E,AA,09,0.9,545.4,", "$GPRMC,120001.00,A,3354.0000,S,15112.0000,W,",
      "$GPGGA,120001.00,3354.0000,S,15112.0000,W,1,08,0.9,0.0,",    "$GNGNS,120001.00,3354.0000,S,15112.0000,W,AA,08,",
      "$GPRMC,120002.00,A,1100.0000,N,00030.0000,W,",  "$GPGGA,120002.00,1100.0000,N,00030.0000,W,1,12,0.9,-12.5,",
      "$GNGNS,120002.00,1100.0000,N,00030.0000,W,AA,12,0.9,-12.5,"};
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(sentences[i].rfind(expected[i], 0), 0u) << sentences[i];
  }
}

class BadTrackPointTest : public SimTest, public testing::WithParamInterface<const char*> {};

TEST_P(BadTrackPointTest, IsRejectedWithItsLine) {
  EXPECT_EQ(2, lib_.LoadScenario(std::string("[gps]\npoint = ") + GetParam() + "\n")) << GetParam();
}

INSTANTIATE_TEST_SUITE_P(Points, BadTrackPointTest,
                         testing::Values("48.1", "90.5 11", "48 -180.5", "48 11 0 100", "48 11 0 8 1",
                                         "48x 11", "nan 11", "48 11 high"));

}  // namespace
}  // namespace simtest
