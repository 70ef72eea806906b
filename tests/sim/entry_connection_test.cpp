#include <cstring>

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

}  // namespace
}  // namespace simtest
