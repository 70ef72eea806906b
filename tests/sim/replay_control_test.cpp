// The simulator replaying a recording: answers and out-values as recorded, callbacks after their
// call, divergences reported, broken recordings refused.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

class ReplayControlTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    CALL(lib_, VeskSimSetTraceSink, [](uint32_t level, const char* text) {
      CallbackRecorder::Get().Add("trace " + std::to_string(level) + " " + text);
    });
  }
  void TearDown() override {
    CALL(lib_, VeskSimSetTraceSink, nullptr);
    SimTest::TearDown();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }

  // Writes a recording of the second generation and the scenario that replays it.
  std::string Scenario(const std::string& events, const std::string& settings = "") {
    std::ofstream(path_) << "generation 2000\nrecorder 0.1.0\ndate 2026-12-07T07:00:00Z\n" << events;
    return "[replay]\nfile = " + path_.string() + "\n" + settings;
  }

  // Each test process its own file: the tests run in parallel processes, where std::rand() starts alike.
  const std::filesystem::path path_ = std::filesystem::temp_directory_path() /
                                      ("vesk-replay-test-" + std::to_string(std::random_device{}()) + ".txt");
};

const char* const kSession =
    "0.000000 0.000000 call QCWWANConnect -> 0\n"
    "0.000010 0.000000 call SetRoamingIndicatorCallback 1 -> 0\n"
    "0.000020 0.000000 call GetModelID 100 \"recorded model\" -> 0\n"
    "0.500000 callback RoamingIndicator 2\n"
    "0.600000 0.000000 call UIMVerifyPIN 1 *** 2 10 -> 1012\n";

TEST_F(ReplayControlTest, AnswersAsRecordedAndCallsBackAfterTheCall) {
  ASSERT_EQ(0, lib_.LoadScenario(Scenario(kSession))) << lib_.LastError();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0u, CALL(lib_, SetRoamingIndicatorCallback, [](ULONG roaming) {
              CallbackRecorder::Get().Add("roaming " + std::to_string(roaming));
            }));
  char model[8] = "";
  EXPECT_EQ(0u, CALL(lib_, GetModelID, sizeof model, model));
  EXPECT_STREQ("recorde", model) << "cut to the caller's size";
  EXPECT_TRUE(recorder_.WaitFor("roaming 2"));
  ULONG verifyLeft = 0, unblockLeft = 0;
  EXPECT_EQ(1012u, CALL(lib_, UIMVerifyPIN, 1, "0000", &verifyLeft, &unblockLeft));
  EXPECT_EQ(std::pair(2u, 10u), std::pair(verifyLeft, unblockLeft));
  EXPECT_EQ(0u, CALL(lib_, VeskSimReplayDivergences, nullptr, 0));
  EXPECT_EQ(2, CALL(lib_, VeskSimEvent, "roaming = 1")) << "events are left to the replay";
  EXPECT_EQ(1u, recorder_.Count("roaming")) << "the recording's callbacks are the only ones";
}

TEST_F(ReplayControlTest, ADivergenceIsTracedAtLevelTwoAndAnsweredAsConfigured) {
  ASSERT_EQ(0, lib_.LoadScenario(Scenario(kSession, "divergence_result = 1014\non_divergence = stop\n")));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  char imsi[20] = "";
  EXPECT_EQ(1014u, CALL(lib_, GetIMSI, sizeof imsi, imsi));
  EXPECT_EQ(1014u, CALL(lib_, SetRoamingIndicatorCallback, nullptr)) << "stopped: the recorded call is not answered";
  char last[200] = "";
  EXPECT_EQ(1u, CALL(lib_, VeskSimReplayDivergences, last, sizeof last));
  const std::string expected =
      "replay: call 2 diverges: expected SetRoamingIndicatorCallback (recording line 5), got GetIMSI; answered "
      "1014, replay stopped";
  EXPECT_EQ(expected, last);
  EXPECT_EQ(std::vector<std::string>{"trace 2 " + expected}, recorder_.Texts("trace "));
}

TEST_F(ReplayControlTest, ABrokenRecordingIsRefusedWithItsLine) {
  EXPECT_EQ(2, lib_.LoadScenario(Scenario("0.0 0.0 call GetModelID 100 -> 0\n")));
  EXPECT_NE(lib_.LastError().find("line 2: " + path_.string() + ":4: GetModelID has 2 values, not 1"),
            std::string::npos)
      << lib_.LastError();
  EXPECT_EQ(3, lib_.LoadScenario("[replay]\nscale = 1\nfile = /no/such/recording\n"));
  EXPECT_NE(lib_.LastError().find("cannot read the recording /no/such/recording"), std::string::npos);
}

TEST_F(ReplayControlTest, TheOtherGenerationsFileHasNoModem) {
  const SimLibrary& first = SimLibrary::First();
  ASSERT_EQ(0, first.LoadScenario(Scenario(kSession)));
  EXPECT_EQ(NO_WWAN_DEVICE, CALL(first, QCWWANConnect));
}

}  // namespace
}  // namespace simtest
