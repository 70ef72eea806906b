#include "platform/in_memory_device_tree.h"

#include <algorithm>
#include <utility>

namespace platform {
namespace {

char16_t LowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}

bool SameId(std::u16string_view a, std::u16string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) {
           return LowerAscii(x) == LowerAscii(y);
         });
}

}  // namespace

const InMemoryDeviceTree::NodeData* InMemoryDeviceTree::Find(Node node) const {
  return node >= 1 && node <= nodes_.size() ? &nodes_[node - 1] : nullptr;
}

InMemoryDeviceTree::NodeData* InMemoryDeviceTree::Find(Node node) {
  return node >= 1 && node <= nodes_.size() ? &nodes_[node - 1] : nullptr;
}

DeviceTree::Node InMemoryDeviceTree::AddNode(Node parent, std::u16string_view instanceId) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  NodeData data;
  data.instanceId = instanceId;
  data.parent = Find(parent) != nullptr ? parent : 0;
  nodes_.push_back(std::move(data));
  const Node node = static_cast<Node>(nodes_.size());
  if (NodeData* parentData = Find(parent)) {
    parentData->children.push_back(node);
  } else {
    topLevel_.push_back(node);
  }
  return node;
}

void InMemoryDeviceTree::SetStatus(Node node, uint32_t status, uint32_t problem) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    data->status = status;
    data->problem = problem;
  }
}

void InMemoryDeviceTree::SetProperty(Node node, DeviceProperty property, RegistryValue value) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    data->properties[property] = std::move(value);
  }
}

void InMemoryDeviceTree::RemoveProperty(Node node, DeviceProperty property) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    data->properties.erase(property);
  }
}

void InMemoryDeviceTree::SetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                                     RegistryValue value) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    (key == DeviceKey::kHardware ? data->hardwareKey : data->driverKey).values[std::u16string(name)] =
        std::move(value);
  }
}

void InMemoryDeviceTree::RemoveKeyValue(Node node, DeviceKey key, std::u16string_view name) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    (key == DeviceKey::kHardware ? data->hardwareKey : data->driverKey).values.erase(std::u16string(name));
  }
}

void InMemoryDeviceTree::SetKeyPresent(Node node, DeviceKey key, bool present) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    (key == DeviceKey::kHardware ? data->hardwareKey : data->driverKey).present = present;
  }
}

void InMemoryDeviceTree::SetSetupInfoPresent(Node node, bool present) {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (NodeData* data = Find(node)) {
    data->setupInfoPresent = present;
  }
}

DeviceTree::Node InMemoryDeviceTree::LocateLocked(std::u16string_view instanceId) const {
  for (std::size_t i = 0; i < nodes_.size(); ++i) {
    if (SameId(nodes_[i].instanceId, instanceId)) {
      return static_cast<Node>(i + 1);
    }
  }
  return 0;
}

uint32_t InMemoryDeviceTree::Locate(std::u16string_view instanceId, Node* node) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  *node = LocateLocked(instanceId);
  return *node != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t InMemoryDeviceTree::GetParent(Node node, Node* parent) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(node);
  *parent = data != nullptr ? data->parent : 0;
  return *parent != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t InMemoryDeviceTree::GetChild(Node node, Node* child) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(node);
  *child = data != nullptr && !data->children.empty() ? data->children.front() : 0;
  return *child != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t InMemoryDeviceTree::GetSibling(Node node, Node* sibling) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  *sibling = 0;
  const NodeData* data = Find(node);
  if (data == nullptr) {
    return kNoSuchDevNode;
  }
  const NodeData* parent = Find(data->parent);
  const std::vector<Node>& siblings = parent != nullptr ? parent->children : topLevel_;
  const auto it = std::find(siblings.begin(), siblings.end(), node);
  if (it == siblings.end() || it + 1 == siblings.end()) {
    return kNoSuchDevNode;
  }
  *sibling = *(it + 1);
  return kDeviceTreeOk;
}

uint32_t InMemoryDeviceTree::GetInstanceId(Node node, std::u16string* instanceId) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(node);
  if (data == nullptr) {
    return kNoSuchDevNode;
  }
  *instanceId = data->instanceId;
  return kDeviceTreeOk;
}

uint32_t InMemoryDeviceTree::GetStatus(Node node, uint32_t* status, uint32_t* problem) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(node);
  if (data == nullptr) {
    return kNoSuchDevNode;
  }
  *status = data->status;
  *problem = data->problem;
  return kDeviceTreeOk;
}

uint32_t InMemoryDeviceTree::CheckSetupInfo(std::u16string_view instanceId) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(LocateLocked(instanceId));
  return data != nullptr && data->setupInfoPresent ? kDeviceTreeOk : kNoSuchDevInst;
}

uint32_t InMemoryDeviceTree::GetProperty(Node node, DeviceProperty property, RegistryValue* value) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  const NodeData* data = Find(node);
  if (data == nullptr) {
    return kNoSuchDevNode;
  }
  const auto it = data->properties.find(property);
  if (it == data->properties.end()) {
    return kNoSuchValue;
  }
  *value = it->second;
  return kDeviceTreeOk;
}

uint32_t InMemoryDeviceTree::OpenKeyLocked(Node node, DeviceKey key) const {
  const NodeData* data = Find(node);
  if (data == nullptr || !data->setupInfoPresent) {
    return kInvalidHandle;
  }
  return (key == DeviceKey::kHardware ? data->hardwareKey : data->driverKey).present ? kDeviceTreeOk
                                                                                     : kNoSuchRegistryKey;
}

uint32_t InMemoryDeviceTree::OpenKey(Node node, DeviceKey key) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  return OpenKeyLocked(node, key);
}

uint32_t InMemoryDeviceTree::GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                                         RegistryValue* value) const {
  std::lock_guard<std::mutex> lock(nodesLock_);
  if (const uint32_t error = OpenKeyLocked(node, key); error != kDeviceTreeOk) {
    return error;
  }
  const KeyData& keyData = (key == DeviceKey::kHardware ? Find(node)->hardwareKey : Find(node)->driverKey);
  const auto it = keyData.values.find(std::u16string(name));
  if (it == keyData.values.end()) {
    return kFileNotFound;
  }
  *value = it->second;
  return kDeviceTreeOk;
}

}  // namespace platform
