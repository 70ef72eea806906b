// The device tree of a Linux machine, read from sysfs. A USB modem appears as a composite device:
//
//   USB device       class USB        /devices/.../usb1/1-2             (idVendor, idProduct, bcdDevice)
//   └ interface      class USB        /devices/.../usb1/1-2/1-2:1.0     (bInterfaceNumber, interface)
//     └ function     Net, Ports,      /devices/.../1-2:1.0/net/wwan0    (a net, tty or block device)
//                    CDROM, DiskDrive
//
// A node's instance ID is its device path below the sysfs root ("/devices/..."), which stays the
// same across a replug into the same port. The helper devices between an interface and its
// functions (usb-serial ports, SCSI hosts and targets) and the USB endpoints are left out; any other
// device (a PCI controller, a platform serial port) is a node of its own, of its subsystem's class.
//
// Everything read is treated as untrusted: files are read up to a bound and only when they are
// regular files, no symbolic link is followed, walks are bounded in depth and breadth, and a device
// that disappears while it is read gives the interface's error numbers.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/device_tree.h"

namespace platform {

class SysfsDeviceTree : public MachineDeviceTree {
 public:
  // Node handles held at once; tests lower it.
  static constexpr std::size_t kMaxNodes = 1 << 16;

  // root: where sysfs is mounted ("/sys"); tests point it at a directory of their own.
  explicit SysfsDeviceTree(std::string root = "/sys", std::size_t maxNodes = kMaxNodes);
  SysfsDeviceTree(const SysfsDeviceTree&) = delete;
  SysfsDeviceTree& operator=(const SysfsDeviceTree&) = delete;

  // The instance IDs of the USB devices (not their interfaces) that the USB bus lists.
  std::vector<std::u16string> UsbDevices() const override;

  uint32_t Locate(std::u16string_view instanceId, Node* node) const override;
  uint32_t GetParent(Node node, Node* parent) const override;
  uint32_t GetChild(Node node, Node* child) const override;
  uint32_t GetSibling(Node node, Node* sibling) const override;
  uint32_t GetInstanceId(Node node, std::u16string* instanceId) const override;
  uint32_t GetStatus(Node node, uint32_t* status, uint32_t* problem) const override;
  uint32_t CheckSetupInfo(std::u16string_view instanceId) const override;
  uint32_t GetProperty(Node node, DeviceProperty property, RegistryValue* value) const override;
  uint32_t OpenKey(Node node, DeviceKey key) const override;
  uint32_t GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                       RegistryValue* value) const override;

  struct View;  // what one pass over a device's folder and its ancestors found

 private:
  bool Resolve(Node node, View* view) const;
  bool ResolvePath(const std::string& devPath, View* view) const;
  std::vector<std::string> Children(const View& view) const;
  Node HandleOf(const std::string& devPath) const;
  std::string PathOf(Node node) const;

  std::string root_;
  const std::size_t maxNodes_;
  // A handle names one device path for as long as that device is there: when the table is full, the
  // handles of devices gone from sysfs are dropped, and handle values are not reused before the 32-bit
  // count wraps, so a stale handle finds no device rather than another one.
  mutable std::mutex handlesLock_;
  mutable std::unordered_map<Node, std::string> paths_;
  mutable std::unordered_map<std::string, Node> handles_;
  mutable Node nextNode_ = 1;
};

}  // namespace platform
