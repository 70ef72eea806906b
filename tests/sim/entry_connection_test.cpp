#include <cstring>
#include <functional>
#include <string>

#include "sim_library.h"

namespace simtest {
namespace {

constexpr const char* kDefaultId =
    "\\\\?\\/devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0#{5c1f0e3a-7d2b-4e61-9a0f-3b8c2d4e6f70}";

using ConnectionTest = SimTest;

TEST_F(ConnectionTest, EnumerationListsTheModemInRecordsOf272Bytes) {
  ASSERT_TRUE(lib_.LoadScenario("[modem]\n[modem]\ndevice_key = SECOND\n") == 0) << lib_.LastError();
  VendorDeviceRecord records[3];
  std::memset(records, 0x5A, sizeof records);
  BYTE count = 3;
  ASSERT_EQ(0u, CALL(lib_, QCWWAN2kEnumerateDevices, &count, reinterpret_cast<BYTE*>(records)));
  ASSERT_EQ(2, count);
  EXPECT_STREQ(kDefaultId, records[0].deviceID);
  EXPECT_STREQ("VSK-0001", records[0].deviceKey);
  EXPECT_STREQ("SECOND", records[1].deviceKey);
  EXPECT_EQ(0x5A, reinterpret_cast<unsigned char*>(&records[2])[0]) << "wrote past the devices found";

  count = 1;
  ASSERT_EQ(0u, CALL(lib_, QCWWAN2kEnumerateDevices, &count, reinterpret_cast<BYTE*>(records)));
  EXPECT_EQ(1, count) << "more records than room";
}

struct ConnectCase {
  const char* name;
  const char* id;
  const char* key;
  ULONG result;
};

class ConnectByIdTest : public SimTest, public ::testing::WithParamInterface<ConnectCase> {};

TEST_P(ConnectByIdTest, ConnectsOnlyToTheRecordGiven) {
  const ConnectCase& c = GetParam();
  EXPECT_EQ(c.result, CALL(lib_, QCWWAN2kConnect, c.id, c.key));
  char id[260] = {};
  EXPECT_EQ(c.result == 0 ? 0u : NO_CONNECTION_TO_WWAN_DEVICE,
            CALL(lib_, QCWWANGetConnectedDeviceID, 260, id));
  EXPECT_STREQ(c.result == 0 ? kDefaultId : "", id);
}

INSTANTIATE_TEST_SUITE_P(Records, ConnectByIdTest,
                         ::testing::Values(ConnectCase{"IdAndKey", kDefaultId, "VSK-0001", 0},
                                           ConnectCase{"WrongKey", kDefaultId, "VSK-0002", NO_WWAN_DEVICE},
                                           ConnectCase{"NoKey", kDefaultId, nullptr, INVALID_ARGUMENT}),
                         [](const auto& info) { return std::string(info.param.name); });

// Before a connect and after a disconnect every device call answers as a disconnected library would.
struct UnconnectedCall {
  const char* name;
  std::function<ULONG(const SimLibrary&)> call;
};

class UnconnectedTest : public SimTest, public ::testing::WithParamInterface<UnconnectedCall> {};

TEST_P(UnconnectedTest, AnswersNoConnectionBeforeConnectAndAfterDisconnect) {
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, GetParam().call(lib_));
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  ASSERT_EQ(0u, CALL(lib_, QCWWANDisconnect));
  EXPECT_EQ(NO_CONNECTION_TO_WWAN_DEVICE, GetParam().call(lib_));
}

ULONG g_out = 0;

INSTANTIATE_TEST_SUITE_P(
    Calls, UnconnectedTest,
    ::testing::Values(
        UnconnectedCall{"Disconnect", [](const SimLibrary& l) { return CALL(l, QCWWANDisconnect); }},
        UnconnectedCall{"GetSessionState",
                        [](const SimLibrary& l) { return CALL(l, GetSessionState, &g_out); }},
        UnconnectedCall{"Callback",
                        [](const SimLibrary& l) { return CALL(l, SetSessionStateCallback, OnSessionState); }},
        UnconnectedCall{"Unmodelled", [](const SimLibrary& l) { return CALL(l, GetDormancyState, 0); }}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace simtest
