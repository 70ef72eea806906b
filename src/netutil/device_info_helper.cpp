#include "netutil/device_info_helper.h"

#include <utility>

#include "trace/scope_trace.h"
#include "trace/trace.h"

namespace NetUtilities {
namespace {

using platform::DeviceKey;
using platform::DeviceProperty;
using platform::kDeviceTreeOk;
using platform::RegistryValue;

constexpr std::size_t kPropertyBufferBytes = 2048;
constexpr std::size_t kRegistryTextBytes = 520;
constexpr std::size_t kInstanceIdChars = 260;  // including the terminator
constexpr uint32_t kMediumWirelessWan = 9;
// Far more than any device has functions; bounds a walk over a broken tree.
constexpr std::size_t kMaxTreeNodes = 4096;

// The text at offset (up to its terminator or the end of the data); offset moves past it.
std::u16string DecodeText(const std::vector<uint8_t>& data, std::size_t& offset) {
  std::u16string text;
  text.reserve(data.size() > offset ? (data.size() - offset) / 2 : 0);
  for (; offset + 1 < data.size(); offset += 2) {
    const auto c = static_cast<char16_t>(data[offset] | (data[offset + 1] << 8));
    if (c == 0) {
      offset += 2;
      break;
    }
    text += c;
  }
  return text;
}

std::vector<std::u16string> DecodeMultiText(const std::vector<uint8_t>& data) {
  std::vector<std::u16string> texts;
  std::size_t offset = 0;
  while (offset + 1 < data.size()) {
    std::u16string text = DecodeText(data, offset);
    if (text.empty()) {
      break;
    }
    texts.push_back(std::move(text));
  }
  return texts;
}

// Up to four bytes, little-endian.
uint32_t DecodeNumber(const std::vector<uint8_t>& data) {
  uint32_t number = 0;
  for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
    number |= static_cast<uint32_t>(data[i]) << (8 * i);
  }
  return number;
}

std::u16string Decimal(uint32_t number) {
  std::u16string digits;
  do {
    digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
    number /= 10;
  } while (number != 0);
  return digits;
}

std::u16string LowerAscii(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'A' && c <= u'Z') {
      c = static_cast<char16_t>(c + (u'a' - u'A'));
    }
  }
  return text;
}

// "vid_12ab" out of "usb\vid_12ab&pid_34cd&mi_00": from the marker to the next "_" or "&".
std::u16string IdAt(const std::u16string& text, std::size_t at) {
  const std::size_t end = text.find_first_of(u"_&", at + 4);
  return text.substr(at, end == std::u16string::npos ? std::u16string::npos : end - at);
}

}  // namespace

DeviceInfoHelper::DeviceInfoHelper(IHostTraceLog* traceLog, int32_t category)
    : DeviceInfoHelper(traceLog, category, platform::SystemDeviceTree()) {}

DeviceInfoHelper::DeviceInfoHelper(IHostTraceLog* traceLog, int32_t category,
                                   std::shared_ptr<const platform::DeviceTree> tree)
    : traceLog_(traceLog),
      category_(category),
      tree_(std::move(tree)),
      classKinds_{
          {u"USB", kNodeUsb}, {u"Net", kNodeNet},     {u"Modem", kNodeModem},        {u"Ports", kNodePorts},
          {u"WPD", kNodeWpd}, {u"CDROM", kNodeCdRom}, {u"DiskDrive", kNodeDiskDrive}} {}

DeviceInfoHelper::~DeviceInfoHelper() = default;

template <typename... Args>
void DeviceInfoHelper::Trace(int32_t level, const char* message, Args... args) const {
  TraceNarrowMessage(traceLog_, category_, level, message, args...);
}

int32_t DeviceInfoHelper::KindOfClass(std::u16string_view className) const {
  for (const ClassKind& entry : classKinds_) {
    if (entry.className == className) {
      return entry.kind;
    }
  }
  return kNodeOther;
}

bool DeviceInfoHelper::InterfaceNameToInstanceId(std::u16string_view interfaceName,
                                                 std::u16string& instanceId) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::InterfaceNameToInstanceId",
                   kTraceLevelDeviceTree);
  // Only a path in the Win32 device namespace names an interface; anything else would lose its
  // first four characters to the cut.
  constexpr std::u16string_view kDevicePrefix = u"\\\\?\\";
  if (interfaceName.size() < 5 || interfaceName.substr(0, kDevicePrefix.size()) != kDevicePrefix) {
    return false;
  }
  const std::u16string_view path = interfaceName.substr(kDevicePrefix.size());
  const std::size_t classGuid = path.find(u"#{");
  if (classGuid == std::u16string_view::npos) {
    return false;
  }
  instanceId.assign(path.substr(0, classGuid));
  for (char16_t& c : instanceId) {
    if (c == u'#') {
      c = u'\\';
    }
  }
  return true;
}

bool DeviceInfoHelper::GetDeviceInfo(const std::u16string& instanceId, DeviceInfoTree& tree) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetDeviceInfo",
                   kTraceLevelDeviceTree);
  Trace(kTraceLevelInfo, "Getting tree for '%ls'", instanceId.c_str());
  if (instanceId.empty()) {
    Trace(kTraceLevelError,
          "%hs does not support getting the whole PC device tree using an empty string, as that is likely a "
          "bug",
          "NetUtilities::DeviceInfoHelper::GetDeviceInfo");
    return false;
  }
  tree = DeviceInfoTree{};
  DevInst current = 0;
  uint32_t error = tree_->Locate(instanceId, &current);
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Failed CM_Locate_DevNode 0x%x", error);
    return false;
  }

  std::u16string vid;
  std::u16string pid;
  bool haveIds = GetVIDPID(current, vid, pid);
  if (!haveIds) {
    // A function whose hardware IDs carry no vendor and product IDs may still hang below its USB device.
    Trace(kTraceLevelInfo, "Failed to get VID/PID of node, trying another approach");
    DeviceNode node;
    GetNode(node, current);
    DevInst parent = 0;
    error = tree_->GetParent(current, &parent);
    if (error != kDeviceTreeOk) {
      Trace(kTraceLevelInfo, "Failed CM_Get_Parent 0x%x", error);
    } else {
      DeviceNode parentNode;
      GetNode(parentNode, parent);
      if (node.kind != kNodeUsb && parentNode.kind == kNodeUsb &&
          node.manufacturer == parentNode.manufacturer) {
        Trace(kTraceLevelInfo,
              "Current node is not USB, parent node is USB, and manufacturer match, so attempting to get "
              "PID/VID "
              "from parent node");
        if (GetVIDPID(parent, vid, pid)) {
          Trace(kTraceLevelInfo, "Found PID/VID from parent node, setting current node to parent node");
          current = parent;
          haveIds = true;
        }
      }
    }
    if (!haveIds) {
      Trace(kTraceLevelInfo, "Did not find VID/PID... will try to get device subtree");
    }
  }

  if (haveIds) {
    Trace(kTraceLevelInfo, "VID '%ws' PID '%ws'", vid.c_str(), pid.c_str());
    tree.vid = vid;
    tree.pid = pid;
    // Climb to the highest ancestor that is still the same device.
    for (std::size_t depth = 0; depth < kMaxTreeNodes; ++depth) {
      DevInst parent = 0;
      error = tree_->GetParent(current, &parent);
      if (error != kDeviceTreeOk) {
        Trace(kTraceLevelInfo, "Failed CM_Get_Parent 0x%x", error);
        break;
      }
      Trace(kTraceLevelDeviceTree, "Analyzing parent");
      std::u16string parentVid;
      std::u16string parentPid;
      if (!GetVIDPID(parent, parentVid, parentPid)) {
        Trace(kTraceLevelVerbose, "Stop here, No VID/PID for parent");
        break;
      }
      if (parentPid != pid || parentVid != vid) {
        Trace(kTraceLevelVerbose, "Stop here, not same PID/VID, PID = '%ws' VID = '%ws'", parentPid.c_str(),
              parentVid.c_str());
        break;
      }
      current = parent;
    }
  }

  Trace(kTraceLevelInfo, "Get device tree");
  CollectSubtree(current, tree.nodes);
  return true;
}

void DeviceInfoHelper::CollectSubtree(DevInst top, std::vector<DeviceNode>& nodes) {
  // Depth-first pre-order without recursion, so that no tree can exhaust the stack.
  std::vector<DevInst> pending{top};
  while (!pending.empty() && nodes.size() < kMaxTreeNodes) {
    const DevInst devInst = pending.back();
    pending.pop_back();
    DeviceNode node;
    GetNode(node, devInst);
    DevInst child = 0;
    const uint32_t error = tree_->GetChild(devInst, &child);
    if (error != kDeviceTreeOk) {
      Trace(kTraceLevelVerbose, "Could not get child for %ws, 0x%x", node.id.c_str(), error);
    }
    nodes.push_back(std::move(node));
    std::vector<DevInst> children;
    while (error == kDeviceTreeOk && children.size() < kMaxTreeNodes) {
      children.push_back(child);
      if (tree_->GetSibling(child, &child) != kDeviceTreeOk) {
        break;
      }
    }
    pending.insert(pending.end(), children.rbegin(), children.rend());
  }
}

void DeviceInfoHelper::GetNode(DeviceNode& node, DevInst devInst) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetNode", kTraceLevelDeviceTree);
  node = DeviceNode{};
  uint32_t error = ReadInstanceId(devInst, node.id);
  if (error == kDeviceTreeOk) {
    Trace(kTraceLevelInfo, "ID '%ws'", node.id.c_str());
  } else {
    Trace(kTraceLevelError, "Failed CM_Get_Device_ID 0x%x", error);
  }

  uint32_t status = 0;
  uint32_t problem = 0;
  error = tree_->GetStatus(devInst, &status, &problem);
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Failed CM_Get_DevNode_Status 0x%x", error);
  } else if ((status & platform::kDevNodeHasProblem) != 0 && problem == platform::kProblemDisabled) {
    node.disabled = true;
    Trace(kTraceLevelInfo, "DISABLED");
  }

  const DeviceInfoSet set = OpenDeviceInfoSet(devInst, node.id);
  node.friendlyName = ReadProperty(devInst, DeviceProperty::kFriendlyName, set.valid).front();
  Trace(kTraceLevelInfo, "Friendly Name = %ws", node.friendlyName.c_str());
  node.deviceDescription = ReadProperty(devInst, DeviceProperty::kDeviceDescription, set.valid).front();
  Trace(kTraceLevelInfo, "Device description = %ws", node.deviceDescription.c_str());
  node.service = ReadProperty(devInst, DeviceProperty::kService, set.valid).front();
  Trace(kTraceLevelDeviceTree, "Service = %ws", node.service.c_str());
  const std::u16string className = ReadProperty(devInst, DeviceProperty::kClass, set.valid).front();
  Trace(kTraceLevelInfo, "Device class = %ws", className.c_str());
  node.kind = KindOfClass(className);
  node.driverKey = ReadProperty(devInst, DeviceProperty::kDriver, set.valid).front();
  Trace(kTraceLevelInfo, set.valid ? "Driver Key = %ws" : "Driver key = %ws", node.driverKey.c_str());
  node.manufacturer = ReadProperty(devInst, DeviceProperty::kManufacturer, set.valid).front();
  Trace(kTraceLevelDeviceTree, "Manufacturer = %ws", node.manufacturer.c_str());
  const std::vector<std::u16string> hardwareIds =
      ReadProperty(devInst, DeviceProperty::kHardwareIds, set.valid);
  if (GetVIDPID(hardwareIds, node.vid, node.pid)) {
    Trace(kTraceLevelVerbose, "VID = %ws, PID = %ws", node.vid.c_str(), node.pid.c_str());
  }
  node.hardwareId0 = hardwareIds.front();
  Trace(kTraceLevelDeviceTree, "Hardware ID0 = %ws", node.hardwareId0.c_str());

  if (node.kind == kNodeNet) {
    GetSettingID(set, node.settingId);
    ReadMediaType(set, node);
  }
  ReadComPort(set, node);
}

void DeviceInfoHelper::ReadMediaType(const DeviceInfoSet& set, DeviceNode& node) {
  uint32_t error = set.valid ? tree_->OpenKey(set.devInst, DeviceKey::kDriver) : platform::kInvalidHandle;
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "SetupDiOpenDevRegKey for *MediaType failed: 0x%x", error);
    return;
  }
  RegistryValue value;
  error = tree_->GetKeyValue(set.devInst, DeviceKey::kDriver, u"*MediaType", &value);
  if (error == kDeviceTreeOk && value.data.size() > sizeof(uint32_t)) {
    error = platform::kMoreData;
  }
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Could not get *MediaType, 0x%x", error);
    return;
  }
  if (value.type != RegistryValue::kNumber) {
    Trace(kTraceLevelError, "Invalid media type registry type = %d", static_cast<int32_t>(value.type));
    return;
  }
  const uint32_t medium = DecodeNumber(value.data);
  Trace(kTraceLevelDeviceTree, "MediaType = %u", medium);
  if (medium == kMediumWirelessWan) {
    node.hasWwanDrivers = true;
    Trace(kTraceLevelVerbose, "Has WMB drivers");
  }
}

void DeviceInfoHelper::ReadComPort(const DeviceInfoSet& set, DeviceNode& node) {
  // A modem names its port in its driver key ("AttachedTo"), a serial port in its own ("PortName").
  const auto readPort = [&](DeviceKey key, std::u16string_view name, const char* missingMessage) {
    uint32_t type = 0;
    std::u16string text;
    const uint32_t error = ReadRegistryText(set, key, name, &type, text);
    if (error != kDeviceTreeOk) {
      Trace(kTraceLevelVerbose, missingMessage, error);
    } else if (type != RegistryValue::kText) {
      Trace(kTraceLevelError, "Invalid com port registry type = %d", static_cast<int32_t>(type));
    } else {
      node.comPort = std::move(text);
      Trace(kTraceLevelInfo, "COM Port = %ws", node.comPort.c_str());
    }
  };
  const bool isModem = node.kind == kNodeModem;
  if (!set.valid || tree_->OpenKey(set.devInst, DeviceKey::kHardware) != kDeviceTreeOk) {
    Trace(kTraceLevelWarning, "SetupDiOpenDevRegKey1 failed");
  } else if (!isModem) {
    readPort(DeviceKey::kHardware, u"PortName", "Could not get PortName, 0x%x");
  }
  if (!set.valid || tree_->OpenKey(set.devInst, DeviceKey::kDriver) != kDeviceTreeOk) {
    Trace(kTraceLevelWarning, "SetupDiOpenDevRegKey2 failed");
  } else if (isModem) {
    readPort(DeviceKey::kDriver, u"AttachedTo", "Could not get AttachedTo, 0x%x");
  }
}

bool DeviceInfoHelper::GetSettingID(const DeviceInfoSet& deviceInfoSet, std::u16string& settingId) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetSettingID",
                   kTraceLevelDeviceTree);
  uint32_t error = deviceInfoSet.valid ? tree_->OpenKey(deviceInfoSet.devInst, DeviceKey::kDriver)
                                       : platform::kInvalidHandle;
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "SetupDiOpenDevRegKey for NetCfgInstanceId failed: 0x%x", error);
    return false;
  }
  uint32_t type = 0;
  std::u16string text;
  error = ReadRegistryText(deviceInfoSet, DeviceKey::kDriver, u"NetCfgInstanceId", &type, text);
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Could not get NetCfgInstanceId, 0x%x", error);
    return false;
  }
  if (type != RegistryValue::kText) {
    Trace(kTraceLevelError, "Invalid setting ID registry type = %d", static_cast<int32_t>(type));
    return false;
  }
  settingId = std::move(text);
  Trace(kTraceLevelInfo, "Setting ID = %ws", settingId.c_str());
  return true;
}

bool DeviceInfoHelper::GetVIDPID(DevInst devInst, std::u16string& vid, std::u16string& pid) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetVIDPID", kTraceLevelDeviceTree);
  std::u16string instanceId;
  const uint32_t error = ReadInstanceId(devInst, instanceId);
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Failed CM_Get_Device_ID 0x%x", error);
    return false;
  }
  Trace(kTraceLevelInfo, "Looking for VID/PID for '%ws'", instanceId.c_str());
  const DeviceInfoSet set = OpenDeviceInfoSet(devInst, instanceId);
  return GetVIDPID(ReadProperty(devInst, DeviceProperty::kHardwareIds, set.valid), vid, pid);
}

bool DeviceInfoHelper::GetVIDPID(const std::vector<std::u16string>& hardwareIds, std::u16string& vid,
                                 std::u16string& pid) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetVIDPID", kTraceLevelDeviceTree);
  for (const std::u16string& hardwareId : hardwareIds) {
    Trace(kTraceLevelVerbose, "Looking for VID/PID in HW ID '%ws'", hardwareId.c_str());
    const std::u16string lower = LowerAscii(hardwareId);
    const std::size_t vidAt = lower.find(u"vid_");
    const std::size_t pidAt = lower.find(u"pid_");
    if (vidAt != std::u16string::npos && pidAt != std::u16string::npos) {
      vid = IdAt(lower, vidAt);
      pid = IdAt(lower, pidAt);
      return true;
    }
  }
  return false;
}

std::u16string DeviceInfoHelper::GetAdapterName(const DeviceInfoTree& tree) {
  ScopeTrace scope(traceLog_, category_, "NetUtilities::DeviceInfoHelper::GetAdapterName",
                   kTraceLevelDeviceTree);
  std::u16string names[kNodePorts + 1];  // the last node's name of each kind that may give the name
  for (const DeviceNode& node : tree.nodes) {
    if (node.kind < kNodeOther || node.kind > kNodePorts) {
      continue;
    }
    names[node.kind] = node.friendlyName;
    if (node.kind == kNodeModem && !node.friendlyName.empty()) {
      return node.friendlyName;
    }
  }
  for (int32_t kind : {kNodeNet, kNodePorts, kNodeUsb}) {
    if (!names[kind].empty()) {
      return names[kind];
    }
  }
  return names[kNodeOther];
}

DeviceInfoHelper::DeviceInfoSet DeviceInfoHelper::OpenDeviceInfoSet(DevInst devInst,
                                                                    const std::u16string& instanceId) {
  const uint32_t error = tree_->CheckSetupInfo(instanceId);
  if (error != kDeviceTreeOk) {
    Trace(kTraceLevelError, "Failed getting SetupDiDevInfo, last error = 0x%x", error);
    return DeviceInfoSet{devInst, false};
  }
  return DeviceInfoSet{devInst, true};
}

uint32_t DeviceInfoHelper::ReadInstanceId(DevInst devInst, std::u16string& instanceId) const {
  std::u16string id;
  const uint32_t error = tree_->GetInstanceId(devInst, &id);
  if (error != kDeviceTreeOk) {
    return error;
  }
  if (id.size() >= kInstanceIdChars) {
    return platform::kBufferSmall;
  }
  instanceId = std::move(id);
  return kDeviceTreeOk;
}

std::vector<std::u16string> DeviceInfoHelper::ReadProperty(DevInst devInst, DeviceProperty property,
                                                           bool viaSetup) {
  std::vector<std::u16string> texts;
  const auto propertyId = static_cast<uint32_t>(property);
  RegistryValue value;
  // Each way reports its own error numbers, so that a line names the function that failed with its code.
  uint32_t error = viaSetup ? tree_->GetSetupProperty(devInst, property, &value)
                            : tree_->GetProperty(devInst, property, &value);
  if (error == kDeviceTreeOk && value.data.size() > kPropertyBufferBytes) {
    error = viaSetup ? platform::kInsufficientBuffer : platform::kBufferSmall;
  }
  if (error != kDeviceTreeOk) {
    if (viaSetup) {
      Trace(kTraceLevelWarning, "Failed SetupDiGetDeviceRegistryPropertyW 0x%x 0x%x 0x%x", propertyId, error,
            static_cast<uint32_t>(value.data.size()));
    } else {
      Trace(kTraceLevelWarning, "Failed CM_Get_DevNode_Registry_Property 0x%x 0x%x", propertyId, error);
    }
  } else if (value.type == RegistryValue::kText) {
    std::size_t offset = 0;
    texts.push_back(DecodeText(value.data, offset));
  } else if (value.type == RegistryValue::kMultiText) {
    texts = DecodeMultiText(value.data);
  } else if (value.type == RegistryValue::kNumber) {
    texts.push_back(Decimal(DecodeNumber(value.data)));
  } else {
    Trace(kTraceLevelError,
          viaSetup ? "SetupDiGetDeviceRegistryPropertyW: Unsupported type 0x%x 0x%x"
                   : "CM_Get_DevNode_Registry_PropertyW: Unsupported type 0x%x 0x%x",
          propertyId, value.type);
  }
  if (texts.empty()) {
    texts.emplace_back();  // so that the first text always exists
  }
  return texts;
}

uint32_t DeviceInfoHelper::ReadRegistryText(const DeviceInfoSet& set, DeviceKey key, std::u16string_view name,
                                            uint32_t* type, std::u16string& text) const {
  if (!set.valid) {
    return platform::kInvalidHandle;
  }
  RegistryValue value;
  const uint32_t error = tree_->GetKeyValue(set.devInst, key, name, &value);
  if (error != kDeviceTreeOk) {
    return error;
  }
  if (value.data.size() > kRegistryTextBytes) {
    return platform::kMoreData;
  }
  *type = value.type;
  if (value.type == RegistryValue::kText) {
    std::size_t offset = 0;
    text = DecodeText(value.data, offset);
  }
  return kDeviceTreeOk;
}

}  // namespace NetUtilities
