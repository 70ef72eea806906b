// The Linux device tree over a sysfs folder of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "netutil/device_info_helper.h"
#include "platform/posix/sysfs_device_tree.h"
#include "platform/text.h"

namespace {

using NetUtilities::DeviceInfoHelper;

// A sysfs folder of the test's own holding one modem (USB device, interface, network function).
class FakeSysfs : public testing::Test {
 protected:
  void SetUp() override {
    Device(kModem, "DEVTYPE=usb_device\nSUBSYSTEM=usb\n", "idVendor", "ffff\n");
    Device(kModem + "/1-1:1.0", "DEVTYPE=usb_interface\nDRIVER=qmi_wwan\n", "bInterfaceNumber", "00\n");
    Device(kModem + "/1-1:1.0/net/wwan0", "DEVTYPE=wwan\nINTERFACE=wwan0\nSUBSYSTEM=net\n", "mtu", "1500\n");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void Device(const std::string& path, const char* uevent, const char* idFile, const char* id) {
    std::filesystem::create_directories(root_ + path);
    std::ofstream(root_ + path + "/uevent") << uevent;
    std::ofstream(root_ + path + "/" + idFile) << id;
  }
  platform::DeviceTree::Node Locate(const platform::SysfsDeviceTree& tree, const std::string& path) {
    platform::DeviceTree::Node node = 0;
    EXPECT_EQ(tree.Locate(platform::Widen(path), &node), platform::kDeviceTreeOk) << path;
    return node;
  }

  const std::string kModem = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
  const std::string root_ = testing::TempDir() + "sysfs-" + std::to_string(::getpid()) + "-" +
                            testing::UnitTest::GetInstance()->current_test_info()->name();
};

// Over a sysfs folder of our own: the umockdev bed's preload library is not made for threads.
TEST_F(FakeSysfs, WalksFromSeveralThreadsAtOnceAgree) {
  std::ofstream(root_ + kModem + "/idProduct") << "2000\n";
  const auto tree = std::make_shared<platform::SysfsDeviceTree>(root_);
  std::vector<std::vector<std::u16string>> ids(4);
  std::vector<std::thread> threads;
  for (auto& walk : ids) {
    threads.emplace_back([&tree, &walk, this] {
      DeviceInfoHelper helper(nullptr, 20, tree);
      for (const std::string& start : {kModem + "/1-1:1.0/net/wwan0", kModem}) {
        DeviceInfoTree info;
        helper.GetDeviceInfo(platform::Widen(start), info);
        for (const DeviceNode& node : info.nodes) {
          walk.push_back(node.id);
        }
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(ids[0].size(), 6u);
  for (const auto& walk : ids) {
    EXPECT_EQ(walk, ids[0]);
  }
}

// A host that runs for months sees many devices come and go; their handles must not fill the table
// for good, nor may a handle still in use be lost or come to name another device.
TEST_F(FakeSysfs, HandlesOfDevicesThatWentMakeRoomForNewOnes) {
  const platform::SysfsDeviceTree tree(root_, 8);
  const std::string wwan = kModem + "/1-1:1.0/net/wwan0";
  const platform::DeviceTree::Node held = Locate(tree, wwan);
  platform::DeviceTree::Node firstGone = 0;
  for (int plug = 2; plug < 40; ++plug) {
    const std::string path = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(plug);
    Device(path, "DEVTYPE=usb_device\nSUBSYSTEM=usb\n", "idVendor", "1234\n");
    const platform::DeviceTree::Node node = Locate(tree, path);
    ASSERT_NE(node, 0u) << "plug " << plug;
    firstGone = firstGone != 0 ? firstGone : node;
    std::filesystem::remove_all(root_ + path);
  }
  std::u16string id;
  ASSERT_EQ(tree.GetInstanceId(held, &id), platform::kDeviceTreeOk);
  EXPECT_EQ(id, platform::Widen(wwan));
  EXPECT_EQ(Locate(tree, wwan), held);
  EXPECT_NE(tree.GetInstanceId(firstGone, &id), platform::kDeviceTreeOk);
}

// Every node listed can be located again by its instance ID: a function whose folder name is not
// UTF-8 has no such ID, so it is not listed. Folders that are not devices of their own (endpoints,
// ports, partitions, other USB nodes) are not listed either; separators closing the root change nothing.
TEST_F(FakeSysfs, ListsOnlyDeviceFoldersEachLocatedByItsId) {
  Device(kModem + "/1-1:1.0/net/wwan\xff", "DEVTYPE=wwan\nSUBSYSTEM=net\n", "mtu", "1500\n");
  Device(kModem + "/1-1:1.0/ep_81", "DEVTYPE=usb_endpoint\n", "bEndpointAddress", "81\n");
  Device(kModem + "/1-1:1.0/port1", "DEVTYPE=usb_port\n", "connect_type", "hotplug\n");
  Device(kModem + "/1-1:1.0/sda1", "DEVTYPE=partition\nSUBSYSTEM=block\n", "size", "8\n");
  Device(kModem + "/1-1:1.0/other", "SUBSYSTEM=usb\n", "id", "1\n");
  const platform::SysfsDeviceTree tree(root_ + "//");
  platform::DeviceTree::Node node = 0;
  ASSERT_EQ(tree.GetChild(Locate(tree, kModem + "/1-1:1.0"), &node), platform::kDeviceTreeOk);
  std::vector<std::u16string> listed;
  uint32_t last = platform::kDeviceTreeOk;
  for (; node != 0; last = tree.GetSibling(node, &node)) {
    std::u16string id;
    ASSERT_EQ(tree.GetInstanceId(node, &id), platform::kDeviceTreeOk);
    listed.push_back(id);
    platform::DeviceTree::Node again = 0;
    EXPECT_EQ(tree.Locate(id, &again), platform::kDeviceTreeOk) << platform::Narrow(id);
    EXPECT_EQ(again, node);
  }
  EXPECT_EQ(listed, std::vector<std::u16string>{platform::Widen(kModem + "/1-1:1.0/net/wwan0")});
  EXPECT_EQ(last, platform::kNoSuchDevNode);
}

struct HardwareIdsRow {
  const char* label;
  std::string vendor, product, revision, interfaceNumber;
  uint32_t error;
  std::vector<std::u16string> ids;
};

class HardwareIdsTest : public FakeSysfs, public testing::WithParamInterface<HardwareIdsRow> {};

// The IDs of an interface, as the Windows hardware IDs spell them, only from hex fields.
TEST_P(HardwareIdsTest, AreReadFromHexFieldsOnly) {
  const HardwareIdsRow& row = GetParam();
  for (const auto& [file, text] : {std::pair{"/idVendor", row.vendor},
                                   {"/idProduct", row.product},
                                   {"/bcdDevice", row.revision},
                                   {"/1-1:1.0/bInterfaceNumber", row.interfaceNumber}}) {
    std::ofstream(root_ + kModem + file) << text << "\n";
  }
  const platform::SysfsDeviceTree tree(root_);
  platform::RegistryValue value;
  ASSERT_EQ(
      tree.GetProperty(Locate(tree, kModem + "/1-1:1.0"), platform::DeviceProperty::kHardwareIds, &value),
      row.error);
  if (row.error == platform::kDeviceTreeOk) {
    const auto expected = platform::RegistryValue::MultiText(row.ids);
    EXPECT_EQ(std::tie(value.type, value.data), std::tie(expected.type, expected.data));
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, HardwareIdsTest, testing::Values(
    HardwareIdsRow{"WithRevision", "ffff", "20a0", "0318", "0b", platform::kDeviceTreeOk,
                   {u"USB\\VID_FFFF&PID_20A0&REV_0318&MI_0B", u"USB\\VID_FFFF&PID_20A0&MI_0B"}},
    HardwareIdsRow{"RevisionNotHex", "ffff", "2000", "31", "00", platform::kDeviceTreeOk,
                   {u"USB\\VID_FFFF&PID_2000&MI_00"}},
    HardwareIdsRow{"VendorNotHex", "fffg", "2000", "0318", "00", platform::kNoSuchValue, {}},
    HardwareIdsRow{"InterfaceNumberNotHex", "ffff", "2000", "0318", "0x", platform::kNoSuchValue, {}},
    HardwareIdsRow{"ProductTooLarge", "ffff", std::string(5000, '2'), "0318", "00", platform::kBufferSmall, {}}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

}  // namespace
