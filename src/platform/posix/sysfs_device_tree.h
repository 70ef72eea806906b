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
  // root: where sysfs is mounted ("/sys"); tests point it at a directory of their own.
  explicit SysfsDeviceTree(std::string root = "/sys");
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
  mutable std::mutex handlesLock_;
  mutable std::vector<std::string> paths_;  // node n is paths_[n - 1]
  mutable std::unordered_map<std::string, Node> handles_;
};

}  // namespace platform
