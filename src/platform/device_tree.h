// The machine's Plug-and-Play device tree, as the module reads it: nodes located by instance ID and
// walked through parent, first child and next sibling; each node's instance ID, status and problem
// code, its named properties, and the values under its hardware and driver keys.
//
// Every query returns an error number, 0 for success, that the caller writes to its trace log. The
// numbers are the configuration manager's and the registry's own (constants below), so trace lines
// read alike on every platform. Implementations must accept concurrent queries from several threads.
// An in-memory implementation serves tests and the simulator; posix/sysfs_device_tree.h reads Linux's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A value as the registry stores it: a type and raw bytes (texts are UTF-16, zero-terminated;
// a multi-text is a sequence of texts ended by an empty one; a number is 4 bytes, little-endian).
struct RegistryValue {
  enum Type : uint32_t { kNone = 0, kText = 1, kExpandText = 2, kBinary = 3, kNumber = 4, kMultiText = 7 };

  uint32_t type = kNone;
  std::vector<uint8_t> data;

  static RegistryValue Text(std::u16string_view text);
  static RegistryValue MultiText(const std::vector<std::u16string>& texts);
  static RegistryValue Number(uint32_t number);
};

// Named device properties.
enum class DeviceProperty : uint32_t {
  kDeviceDescription = 0x00,
  kHardwareIds = 0x01,
  kService = 0x04,
  kClass = 0x07,
  kDriver = 0x09,
  kManufacturer = 0x0B,
  kFriendlyName = 0x0C,
};

// The two registry keys of a device.
enum class DeviceKey : uint32_t {
  kHardware = 1,  // the device's own ("device parameters") key
  kDriver = 2,    // its driver's software key
};

// Node status bits.
inline constexpr uint32_t kDevNodeHasProblem = 0x400;
// Problem code of a device that was disabled.
inline constexpr uint32_t kProblemDisabled = 22;

// Error numbers (configuration-manager and registry style).
inline constexpr uint32_t kDeviceTreeOk = 0;
inline constexpr uint32_t kNoSuchDevNode = 0x0D;
inline constexpr uint32_t kNoSuchValue = 0x25;
inline constexpr uint32_t kNoSuchRegistryKey = 0x2E;
inline constexpr uint32_t kBufferSmall = 0x1A;
inline constexpr uint32_t kFileNotFound = 2;            // registry: no such value
inline constexpr uint32_t kInvalidHandle = 6;           // registry: the key could not be opened
inline constexpr uint32_t kMoreData = 0xEA;             // registry: value larger than the buffer
inline constexpr uint32_t kNoSuchDevInst = 0xE000020B;  // the installer does not know the device
inline constexpr uint32_t kInvalidData = 0x0D;          // installer: the device has no such property
inline constexpr uint32_t kInsufficientBuffer = 0x7A;   // installer: value larger than the buffer

class DeviceTree {
 public:
  using Node = uint32_t;  // a handle; 0 is never a node

  virtual ~DeviceTree() = default;

  virtual uint32_t Locate(std::u16string_view instanceId, Node* node) const = 0;
  virtual uint32_t GetParent(Node node, Node* parent) const = 0;
  virtual uint32_t GetChild(Node node, Node* child) const = 0;
  virtual uint32_t GetSibling(Node node, Node* sibling) const = 0;

  virtual uint32_t GetInstanceId(Node node, std::u16string* instanceId) const = 0;
  virtual uint32_t GetStatus(Node node, uint32_t* status, uint32_t* problem) const = 0;

  // Whether the installer knows the device (its properties and keys can then be read through the
  // installer rather than the configuration manager alone); kDeviceTreeOk or the reason.
  virtual uint32_t CheckSetupInfo(std::u16string_view instanceId) const = 0;

  virtual uint32_t GetProperty(Node node, DeviceProperty property, RegistryValue* value) const = 0;
  // The same property read through the installer, with the installer's error numbers (a missing
  // property is kInvalidData there). This one translates GetProperty's; Windows asks the installer.
  virtual uint32_t GetSetupProperty(Node node, DeviceProperty property, RegistryValue* value) const;

  // Opening a key: kDeviceTreeOk when it exists and can be read.
  virtual uint32_t OpenKey(Node node, DeviceKey key) const = 0;
  virtual uint32_t GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                               RegistryValue* value) const = 0;
};

// The machine's own tree: sysfs on Linux (posix/sysfs_device_tree.h), the configuration manager and
// the setup API on Windows (win32/cm_device_tree.h).
class MachineDeviceTree : public DeviceTree {
 public:
  // The instance IDs of the USB devices (not their interfaces or functions) the machine has.
  virtual std::vector<std::u16string> UsbDevices() const = 0;
};
std::unique_ptr<MachineDeviceTree> CreateMachineDeviceTree();

// The tree the module reads when it is given none: the machine's own (sysfs on Linux) until a test
// installs another. Thread-safe.
std::shared_ptr<const DeviceTree> SystemDeviceTree();
// A null tree puts back the machine's own.
void SetSystemDeviceTree(std::shared_ptr<const DeviceTree> tree);

}  // namespace platform
