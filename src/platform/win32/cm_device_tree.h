// The device tree of a Windows machine: the configuration manager (CM_*) for the nodes, their
// instance IDs, status and properties, and the setup API (SetupDi*) for what the installer knows of a
// device and its hardware and driver keys. Error numbers are the system's own. Node handles are the
// configuration manager's device instances.
#pragma once

#include "platform/device_tree.h"

namespace platform {

class CmDeviceTree : public MachineDeviceTree {
 public:
  std::vector<std::u16string> UsbDevices() const override;

  uint32_t Locate(std::u16string_view instanceId, Node* node) const override;
  uint32_t GetParent(Node node, Node* parent) const override;
  uint32_t GetChild(Node node, Node* child) const override;
  uint32_t GetSibling(Node node, Node* sibling) const override;
  uint32_t GetInstanceId(Node node, std::u16string* instanceId) const override;
  uint32_t GetStatus(Node node, uint32_t* status, uint32_t* problem) const override;
  uint32_t CheckSetupInfo(std::u16string_view instanceId) const override;
  uint32_t GetProperty(Node node, DeviceProperty property, RegistryValue* value) const override;
  uint32_t GetSetupProperty(Node node, DeviceProperty property, RegistryValue* value) const override;
  uint32_t OpenKey(Node node, DeviceKey key) const override;
  uint32_t GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                       RegistryValue* value) const override;
};

}  // namespace platform
