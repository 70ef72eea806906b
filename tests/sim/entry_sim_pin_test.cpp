#include <string>
#include <vector>

#include "sim_library.h"

namespace simtest {
namespace {

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

INSTANTIATE_TEST_SUITE_P(
    Entries, PinTest,
    // A right PIN after a wrong one, and after a third wrong one has blocked the SIM.
    ::testing::Values(PinCase{"WrongThenRight", {"0000", "1234"}, {1012, 0}, {2, 3}, 2},
                      PinCase{"RightAfterThreeWrongIsRefused", {"0000", "1111", "2222", "1234"},
                              {1012, 1012, 1013, 1013}, {2, 1, 0, 0}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PinTest, PukUnblocksWithANewPinAndAReturningModemAsksForItAgain) {
  ASSERT_EQ(0, lib_.LoadScenario("[sim]\npin_status = 4\n"));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ULONG retries = 0;
  ULONG unblock = 0;
  const auto retriesOut = reinterpret_cast<uintptr_t>(&retries);
  const auto unblockOut = reinterpret_cast<uintptr_t>(&unblock);
  EXPECT_EQ(1012u, CALL(lib_, UIMUnblockPIN, 1, reinterpret_cast<uintptr_t>("00000000"),
                        reinterpret_cast<uintptr_t>("4321"), retriesOut, unblockOut));
  EXPECT_EQ(9u, unblock);
  ASSERT_EQ(0u, CALL(lib_, UIMUnblockPIN, 1, reinterpret_cast<uintptr_t>("12345678"),
                     reinterpret_cast<uintptr_t>("4321"), retriesOut, unblockOut));
  EXPECT_EQ(3u, retries);
  EXPECT_EQ(0u, CALL(lib_, UIMVerifyPIN, 1, "4321", &retries, &unblock));

  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "device = removed"));
  ASSERT_EQ(0, CALL(lib_, VeskSimEvent, "device = returned"));
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, CALL(lib_, QCWWANDisconnect)) << "the modem had gone";
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ULONG status = 0;
  ASSERT_EQ(0u, CALL(lib_, UIMGetPINStatus, 1, &status, &retries, &unblock));
  EXPECT_EQ(1u, status) << "enabled, not verified";
}

}  // namespace
}  // namespace simtest
