#include "netutil/device_info_helper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "host/kit/recording_trace_log.h"
#include "platform/composite_modem_tree.h"
#include "platform/in_memory_device_tree.h"
#include "platform/text.h"

namespace {

using NetUtilities::DeviceInfoHelper;
using platform::CompositeModem;
using platform::DeviceKey;
using platform::DeviceProperty;
using platform::InMemoryDeviceTree;
using platform::RegistryValue;

std::string N(const std::u16string& text) {
  return platform::Narrow(text);
}

constexpr auto kRowName = [](const auto& info) { return std::string(info.param.name); };

template <class Param = int>
class DeviceTreeTest : public testing::TestWithParam<Param> {
 protected:
  std::shared_ptr<InMemoryDeviceTree> tree_ = std::make_shared<InMemoryDeviceTree>();
  CompositeModem modem_ = platform::AddCompositeModem(*tree_);
  hostkit::RecordingTraceLog log_;
  DeviceInfoHelper helper_{&log_, 20, tree_};

  void ExpectLine(const char* text, int32_t level) {
    const auto line = log_.FindLine(text);
    ASSERT_TRUE(line.has_value()) << "missing trace line: " << text;
    EXPECT_EQ(std::pair(line->level, line->category), std::pair(level, 20)) << line->text;
  }
};

struct HardwareIdCase {
  const char* name;
  std::vector<std::u16string> hardwareIds;
  bool found;
  std::u16string vid, pid;
};

using HardwareIdTest = DeviceTreeTest<HardwareIdCase>;

TEST_P(HardwareIdTest, FindsVidAndPidInOneId) {
  std::u16string vid = u"unchanged", pid = u"unchanged";
  EXPECT_EQ(GetParam().found, helper_.GetVIDPID(GetParam().hardwareIds, vid, pid));
  EXPECT_EQ(N(GetParam().vid + u" " + GetParam().pid), N(vid + u" " + pid));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Lists, HardwareIdTest, testing::Values(
    HardwareIdCase{"OnlySecondHasBoth", {u"USB\\HUB&VID8086", u"USB\\Vid_12ab&Pid_34CD&REV_1"}, true,
                   u"vid_12ab", u"pid_34cd"},
    HardwareIdCase{"EndsAtUnderscore", {u"USB\\PID_34CD_X&VID_12AB"}, true, u"vid_12ab", u"pid_34cd"},
    HardwareIdCase{"MarkersSplitAcrossIds", {u"USB\\VID_12AB", u"USB\\PID_34CD"}, false, u"unchanged",
                   u"unchanged"}),
    kRowName);
// clang-format on

enum class Which { kUsb, kAdapter, kModem, kNmea };
using Change = std::function<void(InMemoryDeviceTree&, platform::DeviceTree::Node)>;

Change Value(DeviceKey key, std::u16string name, RegistryValue value) {
  return [=](InMemoryDeviceTree& t, auto n) { t.SetKeyValue(n, key, name, value); };
}
Change NoValue(DeviceKey key, std::u16string name) {
  return [=](InMemoryDeviceTree& t, auto n) { t.RemoveKeyValue(n, key, name); };
}
Change NoKey(DeviceKey key) {
  return [=](InMemoryDeviceTree& t, auto n) { t.SetKeyPresent(n, key, false); };
}
Change Property(DeviceProperty property, RegistryValue value) {
  return [=](InMemoryDeviceTree& t, auto n) { t.SetProperty(n, property, value); };
}
Change Status(uint32_t status, uint32_t problem) {
  return [=](InMemoryDeviceTree& t, auto n) { t.SetStatus(n, status, problem); };
}
const Change kUnchanged = [](InMemoryDeviceTree&, auto) {};
const Change kUnknownToInstaller = [](InMemoryDeviceTree& t, auto n) { t.SetSetupInfoPresent(n, false); };

struct NodeCase {
  const char* name;
  Which which;
  Change change;
  int32_t kind;
  std::u16string comPort;
  bool disabled;
  bool hasWwanDrivers;
  std::u16string friendlyName;
  const char* line = nullptr;  // a failure line that must name the way the property was read
  int32_t level = 3;
};

const std::u16string kAdapterName = u"Vesk Mobile Broadband Network Adapter";
const std::u16string kModemName = u"Vesk HS-USB Modem";
const std::u16string kNmeaName = u"Vesk NMEA Port (COM6)";
constexpr auto kHardware = DeviceKey::kHardware;
constexpr auto kDriver = DeviceKey::kDriver;
constexpr auto kFriendlyName = DeviceProperty::kFriendlyName;

// clang-format off
std::vector<NodeCase> NodeCases() {
  const auto Text = RegistryValue::Text;
  return {
      {"ModemPortFromAttachedTo", Which::kModem, kUnchanged, 3, u"COM5", false, false, kModemName},
      {"PortFromPortName", Which::kNmea, Value(kDriver, u"AttachedTo", Text(u"COM9")), 4, u"COM6", false, false,
       kNmeaName},
      {"PortNameNotText", Which::kNmea, Value(kHardware, u"PortName", RegistryValue::Number(6)), 4, u"", false,
       false, kNmeaName},
      {"HardwareKeyMissing", Which::kNmea, NoKey(kHardware), 4, u"", false, false, kNmeaName},
      {"PortNameLongerThanItsBuffer", Which::kNmea, Value(kHardware, u"PortName", Text(std::u16string(261, u'9'))),
       4, u"", false, false, kNmeaName},
      {"WirelessWanMedium", Which::kAdapter, kUnchanged, 2, u"", false, true, kAdapterName},
      {"MediumMissing", Which::kAdapter, NoValue(kDriver, u"*MediaType"), 2, u"", false, false, kAdapterName},
      {"DriverKeyMissing", Which::kAdapter, NoKey(kDriver), 2, u"", false, false, kAdapterName,
       "SetupDiOpenDevRegKey for *MediaType failed: 0x", 2},
      {"MediumTooLong", Which::kAdapter, Value(kDriver, u"*MediaType", {RegistryValue::kNumber, {9, 0, 0, 0, 0}}),
       2, u"", false, false, kAdapterName, "Could not get *MediaType, 0xea", 2},
      {"MediumNotANumber", Which::kAdapter, Value(kDriver, u"*MediaType", Text(u"9")), 2, u"", false, false,
       kAdapterName, "Invalid media type registry type = 1", 2},
      {"DisabledWithProblemFlag", Which::kModem, Status(0x180A | 0x400, 22), 3, u"COM5", true, false, kModemName},
      {"ProblemWithoutFlagNotDisabled", Which::kModem, Status(0x180A, 22), 3, u"COM5", false, false, kModemName},
      {"UnknownToInstaller", Which::kNmea, kUnknownToInstaller, 4, u"", false, false, kNmeaName},
      {"MissingPropertyThroughConfigManager", Which::kUsb, kUnknownToInstaller, 1, u"", false, false, u"",
       "Failed CM_Get_DevNode_Registry_Property 0xc 0x25"},
      {"MissingPropertyThroughInstaller", Which::kUsb, kUnchanged, 1, u"", false, false, u"",
       "Failed SetupDiGetDeviceRegistryPropertyW 0xc 0xd 0x0"},
      {"UnsupportedPropertyType", Which::kModem, Property(kFriendlyName, {RegistryValue::kBinary, {1, 2, 3}}),
       3, u"COM5", false, false, u""},
      {"PropertyLargerThanBuffer", Which::kModem, Property(kFriendlyName, Text(std::u16string(1024, u'x'))),
       3, u"COM5", false, false, u"", "Failed SetupDiGetDeviceRegistryPropertyW 0xc 0x7a 0x802"},
      {"NumberProperty", Which::kModem, Property(kFriendlyName, RegistryValue::Number(40122)), 3, u"COM5", false,
       false, u"40122"},  // even: a stray low bit would show
      {"Unterminated", Which::kModem, Property(kFriendlyName, {RegistryValue::kText, {'A', 0, 'B', 0, 7}}),
       3, u"COM5", false, false, u"AB"},
      {"TextAboveLatin1", Which::kModem, Property(kFriendlyName, Text(u"Vesk \u2013 \u00e9\u8a2d")), 3, u"COM5",
       false, false, u"Vesk \u2013 \u00e9\u8a2d"},
      {"ClassNameIsCaseSensitive", Which::kModem, Property(DeviceProperty::kClass, Text(u"modem")), 0, u"COM9",
       false, false, kModemName},
  };
}
// clang-format on

using GetNodeTest = DeviceTreeTest<NodeCase>;

TEST_P(GetNodeTest, ReadsNode) {
  const NodeCase& c = GetParam();
  const platform::DeviceTree::Node nodes[] = {modem_.usbDevice, modem_.networkAdapter, modem_.modem,
                                              modem_.nmeaPort};
  const auto devInst = nodes[static_cast<int>(c.which)];
  // A decoy for the case where the modem is no longer seen as a modem and reads the port name instead.
  tree_->SetKeyValue(modem_.modem, DeviceKey::kHardware, u"PortName", RegistryValue::Text(u"COM9"));
  c.change(*tree_, devInst);

  DeviceNode node;
  node.comPort = u"stale";
  helper_.GetNode(node, devInst);

  EXPECT_EQ(std::tuple(c.kind, N(c.comPort), c.disabled, c.hasWwanDrivers, N(c.friendlyName)),
            std::tuple(node.kind, N(node.comPort), node.disabled, node.hasWwanDrivers, N(node.friendlyName)));
  if (c.line != nullptr) {
    ExpectLine(c.line, c.level);
  }
}

INSTANTIATE_TEST_SUITE_P(Nodes, GetNodeTest, testing::ValuesIn(NodeCases()), kRowName);

using WholeTreeTest = DeviceTreeTest<>;

// The composite modem read from the vendor library's name for its network adapter, as the attach does.
TEST_F(WholeTreeTest, ClimbsFromAdapterInterfaceToUsbDeviceAndListsEveryFunction) {
  std::u16string instanceId;
  ASSERT_TRUE(helper_.InterfaceNameToInstanceId(modem_.interfaceName, instanceId));
  DeviceInfoTree tree;
  tree.nodes.resize(3);  // stale content must go
  ASSERT_TRUE(helper_.GetDeviceInfo(instanceId, tree));

  EXPECT_EQ("vid_12ab pid_34cd", N(tree.vid + u" " + tree.pid));
  std::vector<std::string> ports;
  for (const DeviceNode& node : tree.nodes) {
    ports.push_back(N(node.comPort));
  }
  EXPECT_EQ(ports, (std::vector<std::string>{"", "", "COM5", "COM6", "COM7"}));
  EXPECT_EQ("Vesk HS-USB Modem", N(helper_.GetAdapterName(tree)));
  ExpectLine("Could not get child for USB\\VID_12AB&PID_34CD&MI_03", 5);

  // No class GUID, nothing past the prefix, or a path not in the device namespace.
  for (const std::u16string name : {u"\\\\?\\USB#VID_12AB&PID_34CD#1234", u"\\\\?\\",
                                    u"C:\\USB#VID_12AB&PID_34CD#1234#{5c1f0e3a}"}) {
    instanceId.clear();
    EXPECT_FALSE(helper_.InterfaceNameToInstanceId(name, instanceId)) << N(name);
    EXPECT_EQ("", N(instanceId));
  }
}

// An adapter whose hardware IDs lack the vendor and product (as some class drivers report them) takes
// its USB parent's; a node without IDs or parent is a tree of its own; an empty ID is refused.
TEST_F(WholeTreeTest, TakesTheIdsOfTheParentOrStandsAlone) {
  DeviceInfoTree tree;
  EXPECT_FALSE(helper_.GetDeviceInfo(u"", tree));

  tree_->SetProperty(modem_.networkAdapter, DeviceProperty::kHardwareIds,
                     RegistryValue::MultiText({u"USB\\Class_02"}));
  tree.vid = u"stale";
  ASSERT_TRUE(helper_.GetDeviceInfo(modem_.networkAdapterId, tree));
  EXPECT_EQ("vid_12ab", N(tree.vid));
  std::vector<std::string> ids;
  for (const DeviceNode& node : tree.nodes) {
    ids.push_back(N(node.id));
  }
  EXPECT_EQ(ids, (std::vector{N(modem_.usbDeviceId), N(modem_.networkAdapterId), N(modem_.modemId),
                              N(modem_.nmeaPortId), N(modem_.diagnosticsPortId)}));

  const auto alone = tree_->AddNode(0, u"ROOT\\NET\\0000");
  tree_->SetProperty(alone, DeviceProperty::kClass, RegistryValue::Text(u"Net"));
  ASSERT_TRUE(helper_.GetDeviceInfo(u"ROOT\\NET\\0000", tree));
  EXPECT_EQ("", N(tree.vid));
  ExpectLine("Failed CM_Get_Parent 0xd", 4);

  // However many children a (broken) tree shows, a walk reads at most 4096 nodes.
  for (int child = 0; child < 5000; ++child) {
    tree_->AddNode(alone, u"ROOT\\CHILD\\" + platform::Widen(std::to_string(child)));
  }
  ASSERT_TRUE(helper_.GetDeviceInfo(u"ROOT\\NET\\0000", tree));
  EXPECT_EQ(tree.nodes.size(), 4096u);
}

// A node the tree never made, or one past its last, is refused by every query and ignored by every change.
TEST(InMemoryDeviceTreeTest, UnknownNodesAreRefusedAndLeftAlone) {
  InMemoryDeviceTree tree;
  const auto only = tree.AddNode(0, u"ROOT\\ONLY\\0000");
  for (const platform::DeviceTree::Node node : {platform::DeviceTree::Node{0}, only + 1}) {
    tree.SetStatus(node, 1, 2);
    tree.SetProperty(node, DeviceProperty::kFriendlyName, RegistryValue::Text(u"x"));
    tree.RemoveProperty(node, DeviceProperty::kFriendlyName);
    tree.SetKeyValue(node, DeviceKey::kDriver, u"x", RegistryValue::Number(1));
    tree.RemoveKeyValue(node, DeviceKey::kDriver, u"x");
    tree.SetKeyPresent(node, DeviceKey::kHardware, false);
    tree.SetSetupInfoPresent(node, false);
    platform::DeviceTree::Node other = 7;
    uint32_t status = 0, problem = 0;
    std::u16string id;
    RegistryValue value;
    const std::vector<uint32_t> answers = {tree.GetParent(node, &other), tree.GetChild(node, &other),
                                           tree.GetSibling(node, &other), tree.GetInstanceId(node, &id),
                                           tree.GetStatus(node, &status, &problem),
                                           tree.GetProperty(node, DeviceProperty::kFriendlyName, &value),
                                           tree.OpenKey(node, DeviceKey::kDriver),
                                           tree.GetKeyValue(node, DeviceKey::kDriver, u"x", &value)};
    EXPECT_EQ(std::count(answers.begin(), answers.end(), platform::kDeviceTreeOk), 0) << node;
  }
  uint32_t status = 0, problem = 0;
  EXPECT_EQ(tree.GetStatus(only, &status, &problem), platform::kDeviceTreeOk);
  EXPECT_EQ(status | problem, 0u) << "a change meant for another node reached this one";
  // Removals reach the node they name; without setup information its keys cannot be opened.
  tree.SetProperty(only, DeviceProperty::kFriendlyName, RegistryValue::Text(u"x"));
  tree.RemoveProperty(only, DeviceProperty::kFriendlyName);
  tree.SetKeyValue(only, DeviceKey::kHardware, u"x", RegistryValue::Number(1));
  tree.RemoveKeyValue(only, DeviceKey::kHardware, u"x");
  RegistryValue value;
  EXPECT_EQ((std::vector{tree.GetProperty(only, DeviceProperty::kFriendlyName, &value),
                         tree.GetKeyValue(only, DeviceKey::kHardware, u"x", &value)}),
            (std::vector{platform::kNoSuchValue, platform::kFileNotFound}));
  tree.SetSetupInfoPresent(only, false);
  EXPECT_EQ(tree.OpenKey(only, DeviceKey::kHardware), platform::kInvalidHandle);
}

// The simulator fills the tree while the module reads it.
TEST(InMemoryDeviceTreeTest, ReadsWhileAnotherThreadAddsModems) {
  auto tree = std::make_shared<InMemoryDeviceTree>();
  const CompositeModem first = platform::AddCompositeModem(*tree);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int i = 0; i < 50; ++i) {
      platform::AddCompositeModem(*tree, {.serial = platform::Widen(std::to_string(5000 + i))});
    }
    done = true;
  });
  DeviceInfoHelper helper(nullptr, 20, tree);
  int reads = 0;
  for (; !done || reads < 3; ++reads) {
    DeviceInfoTree info;
    if (!helper.GetDeviceInfo(first.modemId, info) || info.nodes.size() != 5) {
      ADD_FAILURE() << "tree of " << info.nodes.size() << " nodes";
      break;
    }
  }
  writer.join();
}

}  // namespace
