// Reads the Plug-and-Play device tree so that a modem named by the host (the tree of its network
// adapter) and a modem named by the vendor library (a device interface path) reduce to the same
// top-level device: the highest ancestor that still carries the same vendor and product IDs, which
// for a composite USB modem is the USB device itself. For that device it lists every function.
//
// Every operation traces its entry and exit at level 6 and writes what it finds and every failure to
// the trace log with the category given at construction. A failure leaves the field concerned empty.
// One helper serves one thread at a time; the device tree it reads must accept concurrent readers.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/device_tree.h"
#include "vesk/records.h"

class IHostTraceLog;

namespace NetUtilities {

// Node kinds, from the device's setup class name.
enum DeviceNodeKind : int32_t {
  kNodeOther = 0,
  kNodeUsb = 1,
  kNodeNet = 2,
  kNodeModem = 3,
  kNodePorts = 4,
  kNodeWpd = 5,
  kNodeCdRom = 6,
  kNodeDiskDrive = 7,
};

class DeviceInfoHelper {
 public:
  using DevInst = platform::DeviceTree::Node;

  // The installer's view of one device (its properties and registry keys); invalid when the installer
  // does not know the device.
  struct DeviceInfoSet {
    DevInst devInst = 0;
    bool valid = false;
  };

  // Reads the system device tree (platform::SystemDeviceTree at construction).
  DeviceInfoHelper(IHostTraceLog* traceLog, int32_t category);
  DeviceInfoHelper(IHostTraceLog* traceLog, int32_t category,
                   std::shared_ptr<const platform::DeviceTree> tree);
  ~DeviceInfoHelper();
  DeviceInfoHelper(const DeviceInfoHelper&) = delete;
  DeviceInfoHelper& operator=(const DeviceInfoHelper&) = delete;

  // Fills tree with the top-level device of instanceId and its whole subtree. Fails only for an empty
  // ID or one that the tree does not hold; without vendor and product IDs the subtree is rooted at the
  // node itself (or its USB parent).
  bool GetDeviceInfo(const std::u16string& instanceId, DeviceInfoTree& tree);

  void GetNode(DeviceNode& node, DevInst devInst);
  bool GetSettingID(const DeviceInfoSet& deviceInfoSet, std::u16string& settingId);
  bool GetVIDPID(DevInst devInst, std::u16string& vid, std::u16string& pid);
  // vid and pid keep their "vid_"/"pid_" prefixes and are lower case.
  bool GetVIDPID(const std::vector<std::u16string>& hardwareIds, std::u16string& vid, std::u16string& pid);

  // The name to show for the modem: the first named modem function, else the network adapter, a port,
  // the USB device, in that order.
  std::u16string GetAdapterName(const DeviceInfoTree& tree);

  // "\\?\USB#VID_12AB&PID_34CD#1234#{class GUID}" -> "USB\VID_12AB&PID_34CD\1234".
  bool InterfaceNameToInstanceId(std::u16string_view interfaceName, std::u16string& instanceId);

 private:
  template <typename... Args>
  void Trace(int32_t level, const char* message, Args... args) const;

  std::vector<std::u16string> ReadProperty(DevInst devInst, platform::DeviceProperty property, bool viaSetup);
  DeviceInfoSet OpenDeviceInfoSet(DevInst devInst, const std::u16string& instanceId);
  uint32_t ReadInstanceId(DevInst devInst, std::u16string& instanceId) const;
  uint32_t ReadRegistryText(const DeviceInfoSet& set, platform::DeviceKey key, std::u16string_view name,
                            uint32_t* type, std::u16string& text) const;
  void ReadMediaType(const DeviceInfoSet& set, DeviceNode& node);
  void ReadComPort(const DeviceInfoSet& set, DeviceNode& node);
  int32_t KindOfClass(std::u16string_view className) const;
  void CollectSubtree(DevInst top, std::vector<DeviceNode>& nodes);

  IHostTraceLog* traceLog_;
  int32_t category_;
  std::shared_ptr<const platform::DeviceTree> tree_;
  struct ClassKind {
    std::u16string_view className;
    int32_t kind;
  };
  std::vector<ClassKind> classKinds_;
};

}  // namespace NetUtilities
