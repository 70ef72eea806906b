#include <cstdio>
#include <string>

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
  for (const auto& text : recorder_.Texts("nmea ")) {
    EXPECT_TRUE(ChecksumHolds(text.substr(5))) << text;
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

}  // namespace
}  // namespace simtest
