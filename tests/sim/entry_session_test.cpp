#include <string>
#include <thread>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

using SessionTest = SimTest;

// The built-in SIM wants its PIN before a session can start.
void UnlockSim(const SimLibrary& lib) {
  ULONG retries = 0;
  ULONG unblock = 0;
  ASSERT_EQ(0u, CALL(lib, UIMVerifyPIN, 1, "1234", &retries, &unblock));
}

ULONG Start(const SimLibrary& lib, ULONG* sessionId) {
  ULONG technology = 3;
  ULONG authentication = 2;
  return CALL(lib, StartDataSession, &technology, nullptr, nullptr, nullptr, nullptr, "internet.test",
              nullptr, &authentication, "user", "secret", sessionId);
}

TEST_F(SessionTest, StartReportsAuthenticatingThenConnectedThenGrowingTotalsOnTheLibrarysThread) {
  ConnectWithCallbacks();
  ULONG sessionIdBeforeUnlock = 0;
  EXPECT_EQ(GENERAL_ERROR, Start(lib_, &sessionIdBeforeUnlock)) << "SIM still locked";
  UnlockSim(lib_);
  ULONG sessionId = 0;
  ASSERT_EQ(0u, Start(lib_, &sessionId));
  EXPECT_NE(0u, sessionId);
  ASSERT_TRUE(recorder_.WaitFor("session 2"));
  ASSERT_TRUE(recorder_.WaitFor("bytes", 2)) << "byte totals every interval while connected";

  const auto records = recorder_.Records();
  ASSERT_GE(records.size(), 4u);
  EXPECT_EQ("session 4 0", records[0].text);
  EXPECT_EQ("session 2 0", records[1].text);
  EXPECT_NE(std::this_thread::get_id(), records[0].thread);
  const auto totals = recorder_.Texts("bytes");
  EXPECT_EQ("bytes 1200 48000", totals[0]) << "one second at the default rates";
  EXPECT_EQ("bytes 2400 96000", totals[1]);
  ULONG state = 0;
  ASSERT_EQ(0u, CALL(lib_, GetSessionState, &state));
  EXPECT_EQ(2u, state);

  EXPECT_EQ(QMI_ERR_NO_EFFECT, Start(lib_, &sessionId)) << "already connected";
  ASSERT_EQ(0u, CALL(lib_, StopDataSession, sessionId));
  ASSERT_TRUE(recorder_.WaitFor("session 1"));
  ASSERT_EQ(0u, CALL(lib_, GetSessionState, &state));
  EXPECT_EQ(1u, state);
  EXPECT_EQ(QMI_ERR_NO_EFFECT, CALL(lib_, StopDataSession, sessionId));
}

// A start the modem cannot place answers at once and reports nothing.
struct RefusedStart {
  const char* name;
  const char* scenario;
  ULONG result;
};

class RefusedStartTest : public SimTest, public ::testing::WithParamInterface<RefusedStart> {};

TEST_P(RefusedStartTest, AnswersWithoutASession) {
  ASSERT_EQ(0, lib_.LoadScenario(GetParam().scenario)) << lib_.LastError();
  ConnectWithCallbacks();
  ULONG pinRetries = 0;
  ULONG unblock = 0;
  CALL(lib_, UIMVerifyPIN, 1, "1234", &pinRetries, &unblock);  // fails without a SIM
  ULONG sessionId = 0;
  EXPECT_EQ(GetParam().result, Start(lib_, &sessionId));
  ULONG state = 0;
  ASSERT_EQ(0u, CALL(lib_, GetSessionState, &state));
  EXPECT_EQ(1u, state);
}

INSTANTIATE_TEST_SUITE_P(
    Modems, RefusedStartTest,
    ::testing::Values(RefusedStart{"Configured", "[session]\nstart_result = 1014\n", 1014},
                      RefusedStart{"NoSim", "[sim]\npresent = no\n", GENERAL_ERROR},
                      RefusedStart{"Airplane", "[modem]\npower_mode = 1\n", GENERAL_ERROR}),
    [](const auto& info) { return std::string(info.param.name); });

// PIN entries in order, what each answers, and the SIM's state afterwards (default: PIN 1234, 3 tries).
struct PinCase {
  const char* name;
  std::vector<const char*> entries;
  std::vector<ULONG> results;
  std::vector<ULONG> retriesLeft;
  ULONG finalStatus;
};

class PinTest : public SimTest, public ::testing::WithParamInterface<PinCase> {};

TEST_P(PinTest, VerifyCountsDownAndBlocks) {
  const PinCase& c = GetParam();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  for (size_t i = 0; i < c.entries.size(); ++i) {
    ULONG retries = 99;
    ULONG unblock = 99;
    EXPECT_EQ(c.results[i], CALL(lib_, UIMVerifyPIN, 1, c.entries[i], &retries, &unblock)) << "entry " << i;
    EXPECT_EQ(c.retriesLeft[i], retries) << "entry " << i;
    EXPECT_EQ(10u, unblock);
  }
  ULONG status = 0;
  ULONG retries = 0;
  ULONG unblock = 0;
  ASSERT_EQ(0u, CALL(lib_, UIMGetPINStatus, 1, &status, &retries, &unblock));
  EXPECT_EQ(c.finalStatus, status);
}

INSTANTIATE_TEST_SUITE_P(Entries, PinTest,
                         // A right PIN after a wrong one, and after a third wrong one has blocked the SIM.
                         ::testing::Values(PinCase{"WrongThenRight", {"0000", "1234"}, {1012, 0}, {2, 3}, 2},
                                           PinCase{"RightAfterThreeWrongIsRefused",
                                                   {"0000", "1111", "2222", "1234"},
                                                   {1012, 1012, 1013, 1013},
                                                   {2, 1, 0, 0},
                                                   4}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace simtest
