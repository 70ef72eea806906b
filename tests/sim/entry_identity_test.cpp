#include <cstring>
#include <functional>
#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

// Identity reads of the built-in modem, through a buffer of the given size.
struct TextRead {
  const char* name;
  BYTE size;
  std::function<ULONG(const SimLibrary&, BYTE, char*)> call;
  const char* expected;
};

class IdentityTest : public SimTest, public ::testing::WithParamInterface<TextRead> {};

TEST_P(IdentityTest, FillsTheTextZeroTerminatedAndCutToSize) {
  const TextRead& read = GetParam();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  char buffer[128];
  std::memset(buffer, '#', sizeof buffer);
  ASSERT_EQ(0u, read.call(lib_, read.size, buffer));
  EXPECT_STREQ(read.expected, buffer);
  EXPECT_EQ('#', buffer[read.size]) << "wrote past the size given";
}

INSTANTIATE_TEST_SUITE_P(
    Reads, IdentityTest,
    ::testing::Values(
        TextRead{"ManufacturerCut", 5,
                 [](const SimLibrary& l, BYTE n, char* b) { return CALL(l, GetManufacturer, n, b); }, "Vesk"},
        TextRead{"IccidCut", 9,
                 [](const SimLibrary& l, BYTE n, char* b) { return CALL(l, UIMGetICCID, n, b); }, "89001012"},
        // The middle one of three buffers.
        TextRead{"Imei", 100,
                 [](const SimLibrary& l, BYTE n, char* b) {
                   char esn[100];
                   char meid[100];
                   return CALL(l, GetSerialNumbers, sizeof esn, esn, n, b, sizeof meid, meid);
                 },
                 "356938035643809"}),
    [](const auto& info) { return std::string(info.param.name); });

// What a modem without a subscription answers; the module ends its information pass on it.
struct SubscriptionCase {
  const char* name;
  const char* scenario;
  ULONG voiceNumber;
  ULONG imsi;
};

class SubscriptionTest : public SimTest, public ::testing::WithParamInterface<SubscriptionCase> {};

TEST_P(SubscriptionTest, NumbersNeedASimOrAnActivatedAccount) {
  ASSERT_EQ(0, lib_.LoadScenario(GetParam().scenario)) << lib_.LastError();
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  char number[255] = {};
  char min[255] = {};
  EXPECT_EQ(GetParam().voiceNumber, CALL(lib_, GetVoiceNumber, 255, number, 255, min));
  EXPECT_EQ(GetParam().imsi, CALL(lib_, GetIMSI, 255, number));
}

INSTANTIATE_TEST_SUITE_P(Modems, SubscriptionTest,
                         ::testing::Values(SubscriptionCase{"Umts", "", 0, 0},
                                           SubscriptionCase{"NoSim", "[sim]\npresent = no\n",
                                                            QMI_ERR_NOT_PROVISIONED, QMI_ERR_NOT_PROVISIONED},
                                           SubscriptionCase{"CdmaNotActivated",
                                                            "[firmware]\ntechnology = 0\n[account]\n"
                                                            "activation_state = 0\n",
                                                            QMI_ERR_NOT_PROVISIONED, 0},
                                           SubscriptionCase{"NoNumber", "[account]\nvoice_number = none\n",
                                                            QMI_ERR_NOT_PROVISIONED, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace simtest
