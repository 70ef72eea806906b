// The Linux device tree over a sysfs folder of the test's own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "netutil/device_info_helper.h"
#include "platform/posix/sysfs_device_tree.h"
#include "platform/text.h"

namespace {

using NetUtilities::DeviceInfoHelper;

// Over a sysfs folder of our own: the umockdev bed's preload library is not made for threads.
TEST(SysfsDeviceTreeTest, WalksFromSeveralThreadsAtOnceAgree) {
  namespace fs = std::filesystem;
  const std::string root = testing::TempDir() + "sysfs-" + std::to_string(::getpid());
  const std::string modem = "/devices/pci0000:00/0000:00:14.0/usb1/1-1";
  const auto device = [&](const std::string& path, const char* uevent, const char* idFile, const char* id) {
    fs::create_directories(root + path);
    std::ofstream(root + path + "/uevent") << uevent;
    std::ofstream(root + path + "/" + idFile) << id;
  };
  device(modem, "DEVTYPE=usb_device\nSUBSYSTEM=usb\n", "idVendor", "ffff\n");
  std::ofstream(root + modem + "/idProduct") << "2000\n";
  device(modem + "/1-1:1.0", "DEVTYPE=usb_interface\nDRIVER=qmi_wwan\n", "bInterfaceNumber", "00\n");
  device(modem + "/1-1:1.0/net/wwan0", "DEVTYPE=wwan\nINTERFACE=wwan0\nSUBSYSTEM=net\n", "mtu", "1500\n");

  const auto tree = std::make_shared<platform::SysfsDeviceTree>(root);
  std::vector<std::vector<std::u16string>> ids(4);
  std::vector<std::thread> threads;
  for (auto& walk : ids) {
    threads.emplace_back([&tree, &walk, &modem] {
      DeviceInfoHelper helper(nullptr, 20, tree);
      for (const std::string& start : {modem + "/1-1:1.0/net/wwan0", modem}) {
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
  fs::remove_all(root);
  EXPECT_EQ(ids[0].size(), 6u);
  for (const auto& walk : ids) {
    EXPECT_EQ(walk, ids[0]);
  }
}

}  // namespace
