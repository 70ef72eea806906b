// A device tree held in memory, filled by tests and the simulator. Filling and reading may happen at
// the same time from different threads. Instance IDs are matched without regard to ASCII case, as
// the configuration manager does.
//
// Every node starts with status 0, no properties, and both keys present and empty.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "platform/device_tree.h"

namespace platform {

class InMemoryDeviceTree : public DeviceTree {
 public:
  InMemoryDeviceTree() = default;
  InMemoryDeviceTree(const InMemoryDeviceTree&) = delete;
  InMemoryDeviceTree& operator=(const InMemoryDeviceTree&) = delete;

  // Adds a node as the last child of parent (0: a top-level node).
  Node AddNode(Node parent, std::u16string_view instanceId);
  void SetStatus(Node node, uint32_t status, uint32_t problem);
  void SetProperty(Node node, DeviceProperty property, RegistryValue value);
  void RemoveProperty(Node node, DeviceProperty property);
  void SetKeyValue(Node node, DeviceKey key, std::u16string_view name, RegistryValue value);
  void RemoveKeyValue(Node node, DeviceKey key, std::u16string_view name);
  // A key that cannot be opened fails every read under it.
  void SetKeyPresent(Node node, DeviceKey key, bool present);
  // A device that the installer does not know: its properties are read through the configuration
  // manager, and its keys cannot be opened.
  void SetSetupInfoPresent(Node node, bool present);

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

 private:
  struct KeyData {
    bool present = true;
    std::map<std::u16string, RegistryValue> values;
  };
  struct NodeData {
    std::u16string instanceId;
    Node parent = 0;
    std::vector<Node> children;
    uint32_t status = 0;
    uint32_t problem = 0;
    bool setupInfoPresent = true;
    std::map<DeviceProperty, RegistryValue> properties;
    KeyData hardwareKey;
    KeyData driverKey;
  };

  const NodeData* Find(Node node) const;
  NodeData* Find(Node node);
  Node LocateLocked(std::u16string_view instanceId) const;
  uint32_t OpenKeyLocked(Node node, DeviceKey key) const;

  mutable std::mutex nodesLock_;
  std::vector<NodeData> nodes_;  // node n is nodes_[n - 1]
  std::vector<Node> topLevel_;
};

}  // namespace platform
