// The sysfs device tree over a sysfs of our own: what damaged, hostile or changing folders do to it.
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "fake_sysfs.h"
#include "gtest/gtest.h"
#include "netutil/device_info_helper.h"
#include "platform/posix/sysfs_device_tree.h"
#include "platform/text.h"

namespace devicetree_test {
namespace {

namespace fs = std::filesystem;
using platform::DeviceTree;
using platform::SysfsDeviceTree;

struct Walk {
  bool found = false;
  std::vector<std::string> ids;
  std::string vid;
};

Walk WalkFrom(const FakeSysfs& sysfs, const std::string& instanceId) {
  NetUtilities::DeviceInfoHelper helper(nullptr, 20, std::make_shared<SysfsDeviceTree>(sysfs.root()));
  DeviceInfoTree tree;
  Walk walk;
  walk.found = helper.GetDeviceInfo(platform::Widen(instanceId), tree);
  for (const DeviceNode& node : tree.nodes) {
    walk.ids.push_back(platform::Narrow(node.id));
  }
  walk.vid = platform::Narrow(tree.vid);
  return walk;
}

const std::vector<std::string> kWholeModem{FakeSysfs::kModem, FakeSysfs::kNetInterface, FakeSysfs::kWwan,
                                           FakeSysfs::kNmeaInterface, FakeSysfs::kNmeaTty};

struct DamageRow {
  const char* label;
  std::function<void(FakeSysfs&)> damage;
  std::vector<std::string> ids;
  const char* vid;
};

class SysfsDamageTest : public testing::TestWithParam<DamageRow> {};

TEST_P(SysfsDamageTest, WalkEndsWithWhatCanStillBeRead) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  GetParam().damage(sysfs);
  const Walk walk = WalkFrom(sysfs, FakeSysfs::kModem);
  EXPECT_TRUE(walk.found);
  EXPECT_EQ(walk.ids, GetParam().ids);
  EXPECT_EQ(walk.vid, GetParam().vid);
}

void Replace(FakeSysfs& sysfs, const std::string& devPath, const char* file) {
  fs::remove(sysfs.Path(devPath) / file);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SysfsDamageTest, testing::Values(
    DamageRow{"Undamaged", [](FakeSysfs&) {}, kWholeModem, "vid_ffff"},
    DamageRow{"AttributeLinkedToItself", [](FakeSysfs& s) {
        Replace(s, FakeSysfs::kModem, "idVendor");
        fs::create_symlink("idVendor", s.Path(FakeSysfs::kModem) / "idVendor");
      }, kWholeModem, ""},
    DamageRow{"AttributeIsNotHex", [](FakeSysfs& s) { s.Write(FakeSysfs::kModem, "idProduct", "20\n00"); },
      kWholeModem, ""},
    DamageRow{"OversizedUevent", [](FakeSysfs& s) {
        s.Write(FakeSysfs::kNmeaInterface, "uevent", std::string(64 << 10, 'x'));
      }, {FakeSysfs::kModem, FakeSysfs::kNetInterface, FakeSysfs::kWwan}, "vid_ffff"},
    DamageRow{"UeventMissing", [](FakeSysfs& s) { Replace(s, FakeSysfs::kWwan, "uevent"); },
      {FakeSysfs::kModem, FakeSysfs::kNetInterface, FakeSysfs::kNmeaInterface, FakeSysfs::kNmeaTty}, "vid_ffff"},
    DamageRow{"AttributeIsAPipe", [](FakeSysfs& s) {
        Replace(s, FakeSysfs::kNmeaInterface, "interface");
        ASSERT_EQ(::mkfifo((s.Path(FakeSysfs::kNmeaInterface) / "interface").c_str(), 0600), 0);
      }, kWholeModem, "vid_ffff"},
    DamageRow{"FunctionNestedTooDeep", [](FakeSysfs& s) {
        std::string path = FakeSysfs::kNetInterface;
        for (int i = 0; i < 30; ++i) {
          path += "/d" + std::to_string(i);
        }
        s.Device(path + "/net/wwan9", {"DEVTYPE=wwan", "SUBSYSTEM=net"});
      }, kWholeModem, "vid_ffff"},
    DamageRow{"InterfaceFolderIsALink", [](FakeSysfs& s) {
        fs::rename(s.Path(FakeSysfs::kNmeaInterface), s.Path("/devices/moved"));
        fs::create_directory_symlink(s.Path("/devices/moved"), s.Path(FakeSysfs::kNmeaInterface));
      }, {FakeSysfs::kModem, FakeSysfs::kNetInterface, FakeSysfs::kWwan}, "vid_ffff"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class SysfsLocateTest : public testing::TestWithParam<std::u16string> {};

TEST_P(SysfsLocateTest, RefusesWhatIsNotAShownDevice) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  fs::create_directory_symlink("1-1:1.0", sysfs.Path(FakeSysfs::kModem) / "alias");
  sysfs.Device(std::string(FakeSysfs::kModem) + "/ep_00", {"DEVTYPE=usb_endpoint"});
  const SysfsDeviceTree tree(sysfs.root());
  DeviceTree::Node node = 99;
  EXPECT_EQ(tree.Locate(GetParam(), &node), platform::kNoSuchDevNode);
  EXPECT_EQ(node, 0u);
  EXPECT_EQ(tree.CheckSetupInfo(GetParam()), platform::kNoSuchDevInst);
}

const std::u16string kModemId = u"/devices/pci0000:00/0000:00:14.0/usb1/1-1";

INSTANTIATE_TEST_SUITE_P(Ids, SysfsLocateTest,
                         testing::Values(u"", u"/devices", u"/devices/", u"devices/pci0000:00",
                                         u"/devices/../devices/pci0000:00/0000:00:14.0/usb1/1-1",
                                         kModemId + u"/.", kModemId + u"//1-1:1.0", kModemId + u"\n",
                                         kModemId + u"/", kModemId + u"/alias",
                                         kModemId + u"/ep_00",                // an endpoint
                                         kModemId + u"/1-1:1.2/ttyUSB1",      // the usb-serial helper
                                         kModemId + u"/1-1:1.2/ttyUSB1/tty",  // not a device
                                         std::u16string(u"/devices/\xD800"),  // not text
                                         kModemId + std::u16string(2000, u'a'),
                                         u"/devices/pci0000:00/0000:00:14.0/usb1/1-9"));

TEST(SysfsDeviceTreeTest, DeviceRemovedAfterItWasLocatedGivesTheErrorsOfTheInterface) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  const SysfsDeviceTree tree(sysfs.root());
  DeviceTree::Node tty = 0;
  ASSERT_EQ(tree.Locate(platform::Widen(FakeSysfs::kNmeaTty), &tty), platform::kDeviceTreeOk);
  fs::remove_all(sysfs.Path(FakeSysfs::kNmeaInterface));

  DeviceTree::Node other = 0;
  std::u16string id;
  platform::RegistryValue value;
  EXPECT_EQ(tree.GetParent(tty, &other), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetInstanceId(tty, &id), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetProperty(tty, platform::DeviceProperty::kFriendlyName, &value), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetKeyValue(tty, platform::DeviceKey::kHardware, u"PortName", &value),
            platform::kInvalidHandle);
  EXPECT_EQ(tree.GetInstanceId(12345, &id), platform::kNoSuchDevNode) << "a handle never given out";
  // The rest of the modem is still there, without the interface.
  EXPECT_EQ(WalkFrom(sysfs, FakeSysfs::kModem).ids,
            (std::vector<std::string>{FakeSysfs::kModem, FakeSysfs::kNetInterface, FakeSysfs::kWwan}));
}

TEST(SysfsDeviceTreeTest, InterfacesComeInTheirNumbersOrder) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  for (const char* number : {"10", "9"}) {
    sysfs.Device(std::string(FakeSysfs::kModem) + "/1-1:1." + number, {"DEVTYPE=usb_interface"},
                 {{"bInterfaceNumber", number[1] == 0 ? "09" : "0a"}});
  }
  const std::string modem = FakeSysfs::kModem;
  EXPECT_EQ(
      WalkFrom(sysfs, modem).ids,
      (std::vector<std::string>{modem, FakeSysfs::kNetInterface, FakeSysfs::kWwan, FakeSysfs::kNmeaInterface,
                                FakeSysfs::kNmeaTty, modem + "/1-1:1.9", modem + "/1-1:1.10"}));
}

TEST(SysfsDeviceTreeTest, WalksFromSeveralThreadsAtOnceAgree) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  const auto tree = std::make_shared<SysfsDeviceTree>(sysfs.root());
  std::vector<std::vector<std::u16string>> ids(4);
  std::vector<std::thread> threads;
  for (auto& walk : ids) {
    threads.emplace_back([&tree, &walk] {
      NetUtilities::DeviceInfoHelper helper(nullptr, 20, tree);
      for (const char* start : {FakeSysfs::kNmeaTty, FakeSysfs::kWwan, FakeSysfs::kModem}) {
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
  EXPECT_EQ(ids[0].size(), 3 * kWholeModem.size());
  for (const auto& walk : ids) {
    EXPECT_EQ(walk, ids[0]);
  }
}

TEST(SysfsDeviceTreeTest, UsbBusListsItsDevicesButNothingOutsideTheDeviceFolders) {
  FakeSysfs sysfs;
  sysfs.AddModem();
  const fs::path bus = sysfs.Path("/bus/usb/devices");
  fs::create_directories(bus);
  fs::create_directory_symlink("../../../devices/pci0000:00/0000:00:14.0/usb1/1-1", bus / "1-1");
  fs::create_directory_symlink("../../../devices/pci0000:00/0000:00:14.0/usb1/1-1/1-1:1.0", bus / "1-1:1.0");
  fs::create_directory_symlink("../../../../../etc", bus / "escape");
  fs::create_directory_symlink("../../../devices/pci0000:00/0000:00:14.0/usb1/1-7",
                               bus / "1-7");  // unplugged
  fs::create_directory_symlink("1-1", bus / "self");
  EXPECT_EQ(SysfsDeviceTree(sysfs.root()).UsbDevices(), std::vector<std::u16string>{kModemId});
}

}  // namespace
}  // namespace devicetree_test
