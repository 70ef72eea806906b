// The sysfs device tree as the module reads it, over the composite modem of examples/modem.umockdev.
// CTest runs every test in a test bed of its own (umockdev-run); without one the tests skip.
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "gtest/gtest.h"
#include "host/commands/device_list.h"
#include "host/kit/recording_trace_log.h"
#include "netutil/device_info_helper.h"
#include "platform/posix/sysfs_device_tree.h"
#include "platform/text.h"

namespace devicetree_test {
namespace {

namespace fs = std::filesystem;
using platform::DeviceTree;
using platform::SysfsDeviceTree;

const std::string kHub = "/devices/pci0000:00/0000:00:14.0/usb1";
const std::string kModem = kHub + "/1-1";

class UmockdevTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* bed = std::getenv("UMOCKDEV_DIR");
    if (bed == nullptr) {
      GTEST_SKIP() << "needs umockdev-run --device examples/modem.umockdev";
    }
    bed_ = bed;
  }

  // The test bed's own folder of a device, for changing it behind the tree's back.
  fs::path BedPath(const std::string& devPath) const { return fs::path(bed_) / ("sys" + devPath); }

  DeviceInfoTree Walk(const std::string& instanceId, bool expectFound = true) {
    NetUtilities::DeviceInfoHelper helper(&traceLog_, 20, std::make_shared<SysfsDeviceTree>());
    DeviceInfoTree info;
    EXPECT_EQ(helper.GetDeviceInfo(platform::Widen(instanceId), info), expectFound) << instanceId;
    adapterName_ = platform::Narrow(helper.GetAdapterName(info));
    return info;
  }

  std::string bed_;
  hostkit::RecordingTraceLog traceLog_;
  std::string adapterName_;
};

struct NodeRow {
  std::string id;  // below the modem
  int32_t kind;
  const char* description;
  const char* comPort;
  const char* settingId;
  const char* service;
  std::string interface;  // what the first hardware ID adds to the device's
  bool disabled;
  bool wwan;
};

constexpr int32_t kUsb = NetUtilities::kNodeUsb;
constexpr int32_t kTty = NetUtilities::kNodePorts;
const std::vector<NodeRow> kModemNodes{
    {"", kUsb, "Vesk 2000 Mobile Broadband", "", "", "usb", "", false, false},
    {"/1-1:1.0", kUsb, "Vesk Mobile Broadband Network Adapter", "", "", "qmi_wwan", "&MI_00", false, false},
    {"/1-1:1.0/net/wwan0", NetUtilities::kNodeNet, "Vesk Mobile Broadband Network Adapter", "", "wwan0",
     "qmi_wwan", "&MI_00", false, true},
    {"/1-1:1.1", kUsb, "Vesk Modem Port", "", "", "option", "&MI_01", false, false},
    {"/1-1:1.1/ttyUSB0/tty/ttyUSB0", kTty, "Vesk Modem Port", "ttyUSB0", "", "option1", "&MI_01", false,
     false},
    {"/1-1:1.2", kUsb, "Vesk NMEA Port", "", "", "option", "&MI_02", false, false},
    {"/1-1:1.2/ttyUSB1/tty/ttyUSB1", kTty, "Vesk NMEA Port", "ttyUSB1", "", "option1", "&MI_02", false,
     false},
    {"/1-1:1.3", kUsb, "Vesk Diagnostics Port", "", "", "option", "&MI_03", true, false},
    {"/1-1:1.3/ttyUSB2/tty/ttyUSB2", kTty, "Vesk Diagnostics Port", "ttyUSB2", "", "option1", "&MI_03", true,
     false},
    {"/1-1:1.4", kUsb, "Vesk Mass Storage", "", "", "usb-storage", "&MI_04", false, false},
    {"/1-1:1.4/host0/target0:0:0/0:0:0:0/block/sr0", NetUtilities::kNodeCdRom, "Vesk Mass Storage", "", "",
     "sr", "&MI_04", false, false},
};

class ModemTreeTest : public UmockdevTest, public testing::WithParamInterface<const char*> {};

// Whichever function the walk starts from, it climbs to the USB device and lists all of it.
TEST_P(ModemTreeTest, ListsEveryFunctionOfTheUsbDeviceInPreOrder) {
  const DeviceInfoTree info = Walk(kModem + GetParam());
  EXPECT_EQ(platform::Narrow(info.vid + u" " + info.pid), "vid_ffff pid_2000");
  ASSERT_EQ(info.nodes.size(), kModemNodes.size());
  for (std::size_t i = 0; i < kModemNodes.size(); ++i) {
    const NodeRow& row = kModemNodes[i];
    const DeviceNode& node = info.nodes[i];
    const auto N = [](const std::u16string& text) { return platform::Narrow(text); };
    EXPECT_EQ(std::tuple(N(node.id), node.kind, N(node.deviceDescription), N(node.comPort), N(node.settingId),
                         N(node.service), N(node.hardwareId0), N(node.manufacturer), N(node.vid),
                         node.disabled, node.hasWwanDrivers),
              std::tuple(kModem + row.id, row.kind, row.description, row.comPort, row.settingId, row.service,
                         "USB\\VID_FFFF&PID_2000&REV_0001" + row.interface, "Vesk Wireless", "vid_ffff",
                         row.disabled, row.wwan));
  }
  EXPECT_EQ(adapterName_, "Vesk Mobile Broadband Network Adapter (wwan0)");
  EXPECT_TRUE(traceLog_.Contains("Stop here, not same PID/VID, PID = 'pid_0002' VID = 'vid_1d6b'"));
}

INSTANTIATE_TEST_SUITE_P(Starts, ModemTreeTest,
                         testing::Values("", "/1-1:1.0/net/wwan0",
                                         "/1-1:1.4/host0/target0:0:0/0:0:0:0/block/sr0"));

TEST_F(UmockdevTest, HostListsTheModemWithItsAdapterAndNmeaPort) {
  const SysfsDeviceTree tree;
  const std::vector<vesk_host::ModemListing> modems = vesk_host::ListModems(tree);
  ASSERT_EQ(modems.size(), 1u) << "the root hub is no modem";
  EXPECT_EQ(vesk_host::FormatListing(modems[0]), kModem +
                                                     "  vid_ffff&pid_2000  adapter \"Vesk Mobile Broadband "
                                                     "Network Adapter (wwan0)\"  nmea ttyUSB1  enabled");

  const fs::path authorized = BedPath(kModem + "/1-1:1.0") / "authorized";
  std::ofstream(authorized) << "0\n";
  const bool disabled = vesk_host::ListModems(tree).at(0).disabled;
  std::ofstream(authorized) << "1\n";
  EXPECT_TRUE(disabled) << "its network adapter is disabled";
}

TEST_F(UmockdevTest, ClimbStopsBelowAParentThatIsNotUsb) {
  // The root hub is a USB device of its own; above it is the PCI controller, with no USB IDs.
  DeviceInfoTree info = Walk(kHub);
  ASSERT_FALSE(info.nodes.empty());
  EXPECT_EQ(std::tuple(platform::Narrow(info.vid), platform::Narrow(info.nodes[0].id), info.nodes.size()),
            std::tuple("vid_1d6b", kHub, kModemNodes.size() + 1));
  EXPECT_TRUE(traceLog_.Contains("Stop here, No VID/PID for parent"));

  // The controller itself: no VID/PID, so the tree is rooted at it, a node of its subsystem's class.
  info = Walk("/devices/pci0000:00/0000:00:14.0");
  ASSERT_FALSE(info.nodes.empty());
  EXPECT_EQ(std::tuple(platform::Narrow(info.vid), info.nodes[0].kind,
                       platform::Narrow(info.nodes[0].service), info.nodes.size()),
            std::tuple("", NetUtilities::kNodeOther, "xhci_hcd", kModemNodes.size() + 2));
  EXPECT_TRUE(traceLog_.Contains("Did not find VID/PID... will try to get device subtree"));
}

TEST_F(UmockdevTest, UnknownInstanceIdIsNotLocated) {
  EXPECT_TRUE(Walk(kHub + "/1-9", false).nodes.empty());
  EXPECT_TRUE(traceLog_.Contains("Failed CM_Locate_DevNode 0xd", 2));
}

struct UnplugRow {
  const char* label;
  const char* unplugged;  // below the modem
  std::size_t nodesRead;  // the walk keeps a record, empty, of a node that went before it was read
};

class UnplugTest : public UmockdevTest, public testing::WithParamInterface<UnplugRow> {};

TEST_P(UnplugTest, WalkEndsWithWhatIsLeft) {
  const fs::path gone = BedPath(kModem + GetParam().unplugged), aside = fs::path(bed_) / "unplugged";
  // Unplugged as soon as the walk has read the network adapter's interface.
  traceLog_.SetLineObserver([&](const hostkit::TraceLine& line) {
    if (line.text.find("ID '" + kModem + "/1-1:1.0'") != std::string::npos && !fs::exists(aside)) {
      fs::rename(gone, aside);
    }
  });
  const DeviceInfoTree info = Walk(kModem);
  traceLog_.SetLineObserver(nullptr);
  fs::rename(aside, gone);  // for a run of the whole binary in one test bed
  const auto read =
      std::count_if(info.nodes.begin(), info.nodes.end(), [](const auto& n) { return !n.id.empty(); });
  EXPECT_EQ(static_cast<std::size_t>(read), GetParam().nodesRead);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, UnplugTest, testing::Values(
    // The next interface, already listed, goes with its port.
    UnplugRow{"NextInterface", "/1-1:1.1", kModemNodes.size() - 2},
    // The interface being walked goes: its network adapter is not found.
    UnplugRow{"InterfaceBeingWalked", "/1-1:1.0", kModemNodes.size() - 1},
    // The whole modem goes: only what was read before remains.
    UnplugRow{"WholeDevice", "", 2}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

// A copy of the test bed's /sys, rooted elsewhere, for damage the walk must survive and hostile
// instance IDs: the copy goes with the test, so nothing needs putting back.
class SysfsCopyTest : public UmockdevTest {
 protected:
  void SetUp() override {
    UmockdevTest::SetUp();
    if (IsSkipped()) {
      return;
    }
    std::string pattern = (fs::temp_directory_path() / "sysfs-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    root_ = pattern;
    fs::copy(fs::path(bed_) / "sys", root_, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
  }
  void TearDown() override {
    std::error_code error;
    fs::remove_all(root_, error);
  }

  fs::path Path(const std::string& devPath) const { return root_ + devPath; }
  // The IDs the walk from the modem lists, and the VID it finds.
  std::pair<std::vector<std::string>, std::string> WalkIds() const {
    NetUtilities::DeviceInfoHelper helper(nullptr, 20, std::make_shared<SysfsDeviceTree>(root_));
    DeviceInfoTree tree;
    EXPECT_TRUE(helper.GetDeviceInfo(platform::Widen(kModem), tree));
    std::vector<std::string> ids;
    for (const DeviceNode& node : tree.nodes) {
      ids.push_back(platform::Narrow(node.id));
    }
    return {ids, platform::Narrow(tree.vid)};
  }

  std::string root_;
};

// The modem's IDs without the functions below these folders.
std::vector<std::string> ModemWithout(std::initializer_list<std::string> gone) {
  std::vector<std::string> ids;
  for (const NodeRow& row : kModemNodes) {
    if (std::none_of(gone.begin(), gone.end(),
                     [&](const std::string& g) { return row.id.rfind(g, 0) == 0; })) {
      ids.push_back(kModem + row.id);
    }
  }
  return ids;
}

struct DamageRow {
  const char* label;
  std::function<void(const fs::path& modem)> damage;
  std::vector<std::string> ids;
  const char* vid;
};

class SysfsDamageTest : public SysfsCopyTest, public testing::WithParamInterface<DamageRow> {};

TEST_P(SysfsDamageTest, WalkEndsWithWhatCanStillBeRead) {
  GetParam().damage(Path(kModem));
  EXPECT_EQ(WalkIds(), std::pair(GetParam().ids, std::string(GetParam().vid)));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Rows, SysfsDamageTest, testing::Values(
    DamageRow{"AttributeLinkedToItself", [](const fs::path& m) {
        fs::remove(m / "idVendor");
        fs::create_symlink("idVendor", m / "idVendor");
      }, ModemWithout({}), ""},
    DamageRow{"LinkLoops", [](const fs::path& m) {
        fs::create_directory_symlink(".", m / "1-1:1.0/loop");
        fs::create_directory_symlink("../1-1:1.0", m / "1-1:1.0/again");
      }, ModemWithout({}), "vid_ffff"},
    DamageRow{"OversizedInterfaceText", [](const fs::path& m) {
        std::ofstream(m / "1-1:1.1/interface") << std::string(1 << 20, 'M');
      }, ModemWithout({}), "vid_ffff"},
    DamageRow{"OversizedUevent", [](const fs::path& m) {
        std::ofstream(m / "1-1:1.2/uevent") << std::string(64 << 10, 'x');
      }, ModemWithout({"/1-1:1.2"}), "vid_ffff"},
    DamageRow{"UeventMissing", [](const fs::path& m) { fs::remove(m / "1-1:1.0/net/wwan0/uevent"); },
      ModemWithout({"/1-1:1.0/net"}), "vid_ffff"},
    DamageRow{"AttributeIsAPipe", [](const fs::path& m) {
        fs::remove(m / "1-1:1.2/interface");
        ASSERT_EQ(::mkfifo((m / "1-1:1.2/interface").c_str(), 0600), 0);
      }, ModemWithout({}), "vid_ffff"},
    DamageRow{"FunctionNestedTooDeep", [](const fs::path& m) {
        fs::path path = m / "1-1:1.0";
        for (int i = 0; i < 30; ++i) {
          path /= std::string("d").append(std::to_string(i));
        }
        fs::create_directories(path / "net/wwan9");
        std::ofstream(path / "net/wwan9/uevent") << "DEVTYPE=wwan\nSUBSYSTEM=net\n";
      }, ModemWithout({}), "vid_ffff"},
    DamageRow{"InterfaceFolderIsALink", [](const fs::path& m) {
        fs::rename(m / "1-1:1.2", m / "../moved");
        fs::create_directory_symlink(m / "../moved", m / "1-1:1.2");
      }, ModemWithout({"/1-1:1.2"}), "vid_ffff"}),
    [](const auto& info) { return std::string(info.param.label); });
// clang-format on

class SysfsLocateTest : public SysfsCopyTest, public testing::WithParamInterface<std::u16string> {};

TEST_P(SysfsLocateTest, RefusesWhatIsNotAShownDevice) {
  fs::create_directory_symlink("1-1:1.0", Path(kModem) / "alias");
  fs::create_directories(Path(kModem) / "ep_00");
  std::ofstream(Path(kModem) / "ep_00/uevent") << "DEVTYPE=usb_endpoint\n";
  const SysfsDeviceTree tree(root_);
  const std::u16string& id = GetParam();
  DeviceTree::Node node = 99;
  EXPECT_EQ(tree.Locate(id, &node), platform::kNoSuchDevNode);
  EXPECT_EQ(node, 0u);
  EXPECT_EQ(tree.CheckSetupInfo(id), platform::kNoSuchDevInst);
}

const std::u16string kModemId = platform::Widen(kModem);

INSTANTIATE_TEST_SUITE_P(Ids, SysfsLocateTest,
                         testing::Values(u"", u"/devices/", u"devices/pci0000:00",
                                         u"/devices/../devices/pci0000:00/0000:00:14.0/usb1/1-1",
                                         kModemId + u"//1-1:1.0", kModemId + u"\n", kModemId + u"/alias",
                                         kModemId + u"/ep_00",                // an endpoint
                                         kModemId + u"/1-1:1.2/ttyUSB1",      // the usb-serial helper
                                         std::u16string(u"/devices/\xD800"),  // not text
                                         kModemId + std::u16string(2000, u'a')));

TEST_F(SysfsCopyTest, DeviceRemovedAfterItWasLocatedGivesTheErrorsOfTheInterface) {
  const SysfsDeviceTree tree(root_);
  DeviceTree::Node tty = 0;
  ASSERT_EQ(tree.Locate(platform::Widen(kModem + "/1-1:1.2/ttyUSB1/tty/ttyUSB1"), &tty),
            platform::kDeviceTreeOk);
  fs::remove_all(Path(kModem + "/1-1:1.2"));

  DeviceTree::Node other = 0;
  std::u16string id;
  platform::RegistryValue value;
  EXPECT_EQ(tree.GetParent(tty, &other), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetInstanceId(tty, &id), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetProperty(tty, platform::DeviceProperty::kFriendlyName, &value), platform::kNoSuchDevNode);
  EXPECT_EQ(tree.GetKeyValue(tty, platform::DeviceKey::kHardware, u"PortName", &value),
            platform::kInvalidHandle);
  EXPECT_EQ(tree.GetInstanceId(12345, &id), platform::kNoSuchDevNode) << "a handle never given out";
  EXPECT_EQ(WalkIds().first, ModemWithout({"/1-1:1.2"}));
}

// Not USB devices: interfaces, links out of the device folders, to an unplugged device or to another link.
TEST_F(SysfsCopyTest, UsbBusListsItsDevicesButNothingOutsideTheDeviceFolders) {
  const fs::path bus = Path("/bus/usb/devices");
  fs::create_directory_symlink("../../../../../etc", bus / "escape");
  fs::create_directory_symlink("../../../devices/pci0000:00/0000:00:14.0/usb1/1-7", bus / "1-7");
  fs::create_directory_symlink("1-1", bus / "self");
  EXPECT_EQ(SysfsDeviceTree(root_).UsbDevices(),
            (std::vector<std::u16string>{platform::Widen(kHub), kModemId}));
}

}  // namespace
}  // namespace devicetree_test
