#include "platform/device_tree.h"

#include <mutex>
#include <utility>

namespace platform {
namespace {

std::mutex systemTreeLock;

// The machine's own tree where the platform has one; a machine without a modem simply has no node
// that the module looks for.
std::shared_ptr<const DeviceTree> DefaultTree() {
  return CreateMachineDeviceTree();
}

std::shared_ptr<const DeviceTree>& SystemTreeLocked() {
  static std::shared_ptr<const DeviceTree> tree = DefaultTree();
  return tree;
}

}  // namespace

uint32_t DeviceTree::GetSetupProperty(Node node, DeviceProperty property, RegistryValue* value) const {
  const uint32_t error = GetProperty(node, property, value);
  switch (error) {
    case kNoSuchValue:
      return kInvalidData;
    case kBufferSmall:
      return kInsufficientBuffer;
    case kNoSuchDevNode:
      return kNoSuchDevInst;
    default:
      return error;
  }
}

RegistryValue RegistryValue::Text(std::u16string_view text) {
  RegistryValue value;
  value.type = kText;
  value.data.reserve(2 * text.size() + 2);
  for (char16_t c : text) {
    value.data.push_back(static_cast<uint8_t>(c & 0xFF));
    value.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

RegistryValue RegistryValue::MultiText(const std::vector<std::u16string>& texts) {
  RegistryValue value;
  value.type = kMultiText;
  for (const std::u16string& text : texts) {
    const RegistryValue one = Text(text);
    value.data.insert(value.data.end(), one.data.begin(), one.data.end());
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

RegistryValue RegistryValue::Number(uint32_t number) {
  RegistryValue value;
  value.type = kNumber;
  for (int shift = 0; shift < 32; shift += 8) {
    value.data.push_back(static_cast<uint8_t>(number >> shift));
  }
  return value;
}

std::shared_ptr<const DeviceTree> SystemDeviceTree() {
  std::lock_guard<std::mutex> lock(systemTreeLock);
  return SystemTreeLocked();
}

void SetSystemDeviceTree(std::shared_ptr<const DeviceTree> tree) {
  if (tree == nullptr) {
    tree = DefaultTree();
  }
  std::lock_guard<std::mutex> lock(systemTreeLock);
  SystemTreeLocked() = std::move(tree);
}

}  // namespace platform
