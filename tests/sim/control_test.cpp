#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

using ControlTest = SimTest;

TEST_F(ControlTest, FailAnswersTheNextCallsWithoutEffectThenRunsOut) {
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  CALL(lib_, VeskSimFail, "GetModelID", QMI_ERR_RETRY_LATER, 2);
  char model[16];
  for (int i = 0; i < 2; ++i) {
    std::memset(model, '#', sizeof model);
    EXPECT_EQ(QMI_ERR_RETRY_LATER, CALL(lib_, GetModelID, sizeof model, model));
    EXPECT_EQ('#', model[0]) << "a failed call leaves its buffer alone";
  }
  std::memset(model, '#', sizeof model);
  EXPECT_EQ(0u, CALL(lib_, GetModelID, 2, model));
  EXPECT_STREQ("1", model) << "cut to the size given";
  EXPECT_EQ('#', model[2]) << "wrote past the size given";
  EXPECT_EQ(3u, CALL(lib_, VeskSimCallCount, "GetModelID"));
}

// A scenario error is reported with the number of the line it is on.
struct BadScenario {
  const char* name;
  const char* text;
  int line;
};

class ScenarioErrorTest : public SimTest, public ::testing::WithParamInterface<BadScenario> {};

TEST_P(ScenarioErrorTest, ReportsTheLineAndKeepsTheOldState) {
  ASSERT_EQ(0, lib_.LoadScenario("[modem]\nmodel_id = 77\n"));
  EXPECT_EQ(GetParam().line, lib_.LoadScenario(GetParam().text));
  EXPECT_EQ(0u, lib_.LastError().rfind("line " + std::to_string(GetParam().line) + ":", 0))
      << lib_.LastError();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  char model[8] = {};
  ASSERT_EQ(0u, CALL(lib_, GetModelID, sizeof model, model));
  EXPECT_STREQ("77", model);
}

INSTANTIATE_TEST_SUITE_P(Texts, ScenarioErrorTest,
                         ::testing::Values(BadScenario{"KeyOutsideSection", "model_id = 1\n", 1},
                                           BadScenario{"UnknownSection", "# comment\n\n[modme]\n", 3},
                                           BadScenario{"SignalOutOfRange", "[radio]\nsignal = -200\n", 2},
                                           BadScenario{"BadEvent", "[events]\nwait = 10\nsignal = loud\n", 3},
                                           BadScenario{"TrackPointOffTheMap", "[gps]\npoint = 90.5 11\n", 2},
                                           BadScenario{"SmsPartNotInTheMessage",
                                                       "[sms]\nsim = from +1 2026-12-06 12:00:00 hi\n"
                                                       "sim = parts 2 from +1 2026-12-06 12:00:00 hi\n",
                                                       3}),
                         [](const auto& info) { return std::string(info.param.name); });

class ExampleScenarioTest : public SimTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ExampleScenarioTest, LoadsWithoutError) {
  std::ifstream file(std::string(VESK_EXAMPLES_DIR) + "/" + GetParam());
  ASSERT_TRUE(file) << GetParam();
  const std::string text(std::istreambuf_iterator<char>(file), {});
  EXPECT_EQ(0, lib_.LoadScenario(text)) << lib_.LastError();
  EXPECT_EQ(0, SimLibrary::First().LoadScenario(text)) << SimLibrary::First().LastError();
}

INSTANTIATE_TEST_SUITE_P(Files, ExampleScenarioTest,
                         ::testing::Values("cdma-not-activated.scn", "first-generation.scn", "no-sim.scn",
                                           "flaky-modem.scn"));

}  // namespace
}  // namespace simtest
