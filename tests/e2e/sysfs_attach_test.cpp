// Attaching by the machine's device tree: the simulated modem, named by the instance ID that sysfs
// gives it in examples/modem.umockdev. CTest runs these in a umockdev test bed; without one they skip.
#include <cstdlib>
#include <string>

#include "e2e_host.h"
#include "netutil/device_info_helper.h"
#include "platform/device_tree.h"
#include "platform/text.h"
#include "vesk/notifications.h"

namespace e2e {
namespace {

const std::string kModem = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";

class SysfsAttachTest : public EndToEndTest {
 protected:
  void SetUp() override {
    if (std::getenv("UMOCKDEV_DIR") == nullptr) {
      GTEST_SKIP() << "needs umockdev-run --device examples/modem.umockdev";
    }
    EndToEndTest::SetUp();
  }
};

TEST_F(SysfsAttachTest, ModemNamedByItsInstanceIdIsAttachedWithItsAdapterAndNmeaPort) {
  // The tree by which a host names the modem, as it reads it from the machine.
  NetUtilities::DeviceInfoHelper helper(nullptr, kTraceCategory, platform::SystemDeviceTree());
  DeviceInfoTree tree;
  ASSERT_TRUE(helper.GetDeviceInfo(platform::Widen(kModem), tree));
  ASSERT_TRUE(sdk_->AttachToCellularDevice(tree));
  WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE);

  char16_t text[261] = {};
  sdk_->GetAdapterText(text);
  EXPECT_EQ(platform::Narrow(text), "Vesk Mobile Broadband Network Adapter (wwan0)");
  sdk_->GetPortText(text);
  EXPECT_EQ(platform::Narrow(text), kModem);
  EXPECT_EQ(platform::Narrow(sdk_->GetNmeaPortName()), "ttyUSB1");
  EXPECT_TRUE(Notifications(WWAN_NOTIFICATION_CELLULAR_DEVICE_STATE).empty());
}

}  // namespace
}  // namespace e2e
