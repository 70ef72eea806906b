// This file must contain only POSIX code.
#include "platform/posix/sysfs_device_tree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <map>
#include <utility>

#include "platform/posix/sysfs_text.h"
#include "platform/text.h"

namespace platform {
namespace {

using sysfs::CleanText;
using sysfs::IsDevicePath;
using sysfs::NaturalLess;
using sysfs::ParseUevent;
using sysfs::TrimLineEnd;

// A sysfs attribute is at most a page; anything larger is not what we are looking for.
constexpr std::size_t kMaxFileBytes = 4096;
// Entries looked at in one folder, and in one search below a node.
constexpr std::size_t kMaxFolderEntries = 4096;
constexpr std::size_t kMaxSearchFolders = 512;
// How deep a function may sit below its interface (a disk: host, target, LUN, "block", disk).
constexpr int kMaxFunctionDepth = 8;
constexpr int kMaxChildDepth = 6;
constexpr uint32_t kMediumWirelessWan = 9;
constexpr uint32_t kMedium8023 = 0;
constexpr char kDevices[] = "/devices";

enum class Shape { kHidden, kUsbDevice, kUsbInterface, kNet, kTty, kBlock, kOther };

bool IsFunction(Shape shape) {
  return shape == Shape::kNet || shape == Shape::kTty || shape == Shape::kBlock;
}

enum class ReadResult { kOk, kMissing, kTooLarge };

// A regular file, not through a symbolic link, up to kMaxFileBytes.
ReadResult ReadFile(const std::string& path, std::string* out) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
    return ReadResult::kMissing;
  }
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    return ReadResult::kMissing;
  }
  ReadResult result = ReadResult::kOk;
  out->clear();
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    result = ReadResult::kMissing;
  } else {
    char buffer[1024];
    for (;;) {
      const ssize_t got = ::read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) {
        continue;
      }
      if (got < 0) {
        result = ReadResult::kMissing;
        break;
      }
      if (got == 0) {
        break;
      }
      out->append(buffer, static_cast<std::size_t>(got));
      if (out->size() > kMaxFileBytes) {
        result = ReadResult::kTooLarge;
        break;
      }
    }
  }
  ::close(fd);
  if (result != ReadResult::kOk) {
    out->clear();
  }
  return result;
}

// One attribute's value without its line end; empty when it cannot be read.
std::string Attribute(const std::string& folder, const char* name) {
  std::string text;
  ReadFile(folder + "/" + name, &text);
  return TrimLineEnd(std::move(text));
}

bool IsRealFolder(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The target of a symbolic link as written, without following it.
std::string LinkText(const std::string& path) {
  char buffer[kMaxFileBytes];
  const ssize_t got = ::readlink(path.c_str(), buffer, sizeof buffer);
  return got > 0 && static_cast<std::size_t>(got) < sizeof buffer ? std::string(buffer, static_cast<std::size_t>(got))
                                                                   : std::string();
}

bool IsUtf8(const std::string& text) {
  bool valid = false;
  Widen(text, &valid);
  return valid;
}

// The names in a folder (no "." or ".."), at most kMaxFolderEntries of them.
std::vector<std::string> FolderEntries(const std::string& path) {
  std::vector<std::string> names;
  DIR* folder = ::opendir(path.c_str());
  if (folder == nullptr) {
    return names;
  }
  while (names.size() < kMaxFolderEntries) {
    const dirent* entry = ::readdir(folder);
    if (entry == nullptr) {
      break;
    }
    const std::string name = entry->d_name;
    if (name != "." && name != "..") {
      names.push_back(name);
    }
  }
  ::closedir(folder);
  return names;
}

bool IsHex(const std::string& text, std::size_t digits) {
  return text.size() == digits &&
         std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

std::string Upper(std::string text) {
  for (char& c : text) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return text;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ParentPath(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// One device folder on its own: its uevent and subsystem.
struct Device {
  bool present = false;  // the folder holds a readable uevent
  std::map<std::string, std::string> uevent;
  std::string subsystem;
  Shape shape = Shape::kHidden;

  std::string Get(const char* key) const {
    const auto it = uevent.find(key);
    return it != uevent.end() ? it->second : std::string();
  }
};

Device ReadDevice(const std::string& folder) {
  Device device;
  std::string text;
  if (ReadFile(folder + "/uevent", &text) != ReadResult::kOk) {
    return device;
  }
  device.present = true;
  device.uevent = ParseUevent(text);
  device.subsystem = BaseName(LinkText(folder + "/subsystem"));
  if (device.subsystem.empty()) {
    device.subsystem = device.Get("SUBSYSTEM");
  }
  const std::string devType = device.Get("DEVTYPE");
  if (devType == "usb_device") {
    device.shape = Shape::kUsbDevice;
  } else if (devType == "usb_interface") {
    device.shape = Shape::kUsbInterface;
  } else if (devType == "usb_endpoint" || devType == "usb_port" || devType == "partition" ||
             device.subsystem == "usb") {
    device.shape = Shape::kHidden;
  } else if (device.subsystem == "net") {
    device.shape = Shape::kNet;
  } else if (device.subsystem == "tty") {
    device.shape = Shape::kTty;
  } else if (device.subsystem == "block") {
    device.shape = Shape::kBlock;
  } else {
    device.shape = Shape::kOther;
  }
  return device;
}

}  // namespace

struct SysfsDeviceTree::View {
  std::string devPath;
  Device device;
  std::string interfacePath;  // the USB interface the node belongs to (itself for an interface)
  std::string usbDevicePath;  // the USB device of that interface (itself for a USB device)
  std::string driver;         // bound to the node, or for a function to the nearest device above it
  std::string driverSubsystem;

  Shape shape() const { return device.shape; }
};

SysfsDeviceTree::SysfsDeviceTree(std::string root, std::size_t maxNodes)
    : root_(std::move(root)), maxNodes_(maxNodes) {
  while (!root_.empty() && root_.back() == '/') {
    root_.pop_back();
  }
}

bool SysfsDeviceTree::ResolvePath(const std::string& devPath, View* view) const {
  if (!IsDevicePath(devPath)) {
    return false;
  }
  *view = View();
  view->devPath = devPath;
  if (!IsRealFolder(root_ + kDevices)) {
    return false;
  }
  // Down from /devices, one folder at a time: each must be a real folder, and the devices on the
  // way decide whether the node is shown and which interface and USB device it belongs to.
  std::size_t end = sizeof kDevices - 1;
  while (end < devPath.size()) {
    end = devPath.find('/', end + 1);
    if (end == std::string::npos) {
      end = devPath.size();
    }
    const std::string prefix = devPath.substr(0, end);
    const std::string folder = root_ + prefix;
    if (!IsRealFolder(folder)) {
      return false;
    }
    Device device = ReadDevice(folder);
    if (!device.present) {
      if (end == devPath.size()) {
        return false;
      }
      continue;
    }
    const std::string driver = device.Get("DRIVER");
    if (device.shape == Shape::kUsbDevice) {
      view->usbDevicePath = prefix;
      view->interfacePath.clear();
      view->driver = driver;
      view->driverSubsystem = device.subsystem;
    } else if (device.shape == Shape::kUsbInterface) {
      view->interfacePath = prefix;
      view->driver = driver;
      view->driverSubsystem = device.subsystem;
    } else if (!view->interfacePath.empty() && !driver.empty()) {
      view->driver = driver;
      view->driverSubsystem = device.subsystem;
    }
    if (end == devPath.size()) {
      view->device = std::move(device);
    }
  }
  const Shape shape = view->shape();
  if (shape == Shape::kHidden) {
    return false;
  }
  const bool belowInterface = !view->interfacePath.empty() && view->interfacePath != devPath;
  const bool belowUsbDevice = !view->usbDevicePath.empty() && view->usbDevicePath != devPath;
  if (shape == Shape::kUsbDevice || shape == Shape::kUsbInterface || (IsFunction(shape) && belowInterface)) {
    return true;
  }
  if (belowUsbDevice) {
    return false;  // a helper device between an interface and its functions, or an endpoint
  }
  // Outside a USB device: a node of its own, with its own driver.
  view->interfacePath.clear();
  view->driver = view->device.Get("DRIVER");
  view->driverSubsystem = view->device.subsystem;
  return true;
}

DeviceTree::Node SysfsDeviceTree::HandleOf(const std::string& devPath) const {
  std::lock_guard<std::mutex> lock(handlesLock_);
  const auto it = handles_.find(devPath);
  if (it != handles_.end()) {
    return it->second;
  }
  if (handles_.size() >= maxNodes_) {
    for (auto entry = handles_.begin(); entry != handles_.end();) {
      if (IsRealFolder(root_ + entry->first)) {
        ++entry;
      } else {
        paths_.erase(entry->second);
        entry = handles_.erase(entry);
      }
    }
    if (handles_.size() >= maxNodes_) {
      return 0;
    }
  }
  while (nextNode_ == 0 || paths_.count(nextNode_) != 0) {
    ++nextNode_;
  }
  const Node node = nextNode_++;
  paths_.emplace(node, devPath);
  handles_.emplace(devPath, node);
  return node;
}

std::string SysfsDeviceTree::PathOf(Node node) const {
  std::lock_guard<std::mutex> lock(handlesLock_);
  const auto it = paths_.find(node);
  return it != paths_.end() ? it->second : std::string();
}

bool SysfsDeviceTree::Resolve(Node node, View* view) const {
  const std::string path = PathOf(node);
  return !path.empty() && ResolvePath(path, view);
}

std::vector<std::string> SysfsDeviceTree::Children(const View& view) const {
  std::vector<std::string> children;
  const Shape shape = view.devPath.empty() ? Shape::kOther : view.shape();
  if (IsFunction(shape)) {
    return children;
  }
  const std::string base = view.devPath.empty() ? std::string(kDevices) : view.devPath;
  // A search below the node that does not follow links: a USB device's children are the folders
  // right below it; an interface's are its functions however deep; any other node's are the
  // nearest devices below it.
  const int maxDepth = shape == Shape::kUsbDevice ? 1 : shape == Shape::kUsbInterface ? kMaxFunctionDepth : kMaxChildDepth;
  std::vector<std::pair<std::string, int>> pending{{base, 0}};
  std::size_t searched = 0;
  while (!pending.empty() && searched < kMaxSearchFolders) {
    const auto [folder, depth] = pending.back();
    pending.pop_back();
    ++searched;
    for (const std::string& name : FolderEntries(root_ + folder)) {
      const std::string path = folder + "/" + name;
      // An instance ID is the path as UTF-16; a path that is not UTF-8 would be listed under an ID
      // that locates nothing, so it is not listed at all (nor is anything below it).
      if (!IsUtf8(name) || !IsRealFolder(root_ + path)) {
        continue;
      }
      const Device device = ReadDevice(root_ + path);
      bool child = false;
      if (shape == Shape::kUsbDevice) {
        child = device.shape == Shape::kUsbDevice || device.shape == Shape::kUsbInterface;
      } else if (shape == Shape::kUsbInterface) {
        child = IsFunction(device.shape);
      } else {
        child = device.present && device.shape != Shape::kHidden;
      }
      if (child) {
        children.push_back(path);
      } else if (depth + 1 < maxDepth) {
        pending.emplace_back(path, depth + 1);
      }
    }
  }
  std::sort(children.begin(), children.end(), NaturalLess);
  return children;
}

std::vector<std::u16string> SysfsDeviceTree::UsbDevices() const {
  const std::string bus = "/bus/usb/devices";
  std::vector<std::string> found;
  for (const std::string& name : FolderEntries(root_ + bus)) {
    // The bus lists its devices as links into /devices; resolve them by their text alone.
    const std::string target = LinkText(root_ + bus + "/" + name);
    if (target.empty() || target.front() == '/') {
      continue;
    }
    std::vector<std::string> parts{"bus", "usb", "devices"};
    std::size_t start = 0;
    bool valid = true;
    while (start <= target.size() && valid) {
      std::size_t end = target.find('/', start);
      if (end == std::string::npos) {
        end = target.size();
      }
      const std::string part = target.substr(start, end - start);
      if (part == "..") {
        valid = !parts.empty();
        if (valid) {
          parts.pop_back();
        }
      } else if (!part.empty() && part != ".") {
        parts.push_back(part);
      }
      start = end + 1;
    }
    std::string devPath;
    for (const std::string& part : parts) {
      devPath += "/" + part;
    }
    View view;
    if (valid && IsUtf8(devPath) && ResolvePath(devPath, &view) && view.shape() == Shape::kUsbDevice) {
      found.push_back(devPath);
    }
  }
  std::sort(found.begin(), found.end(), NaturalLess);
  found.erase(std::unique(found.begin(), found.end()), found.end());
  std::vector<std::u16string> ids;
  for (const std::string& path : found) {
    ids.push_back(Widen(path));
  }
  return ids;
}

uint32_t SysfsDeviceTree::Locate(std::u16string_view instanceId, Node* node) const {
  *node = 0;
  bool valid = false;
  const std::string path = Narrow(instanceId, &valid);
  View view;
  if (!valid || !ResolvePath(path, &view)) {
    return kNoSuchDevNode;
  }
  *node = HandleOf(path);
  return *node != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t SysfsDeviceTree::GetParent(Node node, Node* parent) const {
  *parent = 0;
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  for (std::string path = ParentPath(view.devPath); path.size() > sizeof kDevices - 1; path = ParentPath(path)) {
    View above;
    if (ResolvePath(path, &above)) {
      *parent = HandleOf(path);
      break;
    }
  }
  return *parent != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t SysfsDeviceTree::GetChild(Node node, Node* child) const {
  *child = 0;
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  const std::vector<std::string> children = Children(view);
  if (!children.empty()) {
    *child = HandleOf(children.front());
  }
  return *child != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t SysfsDeviceTree::GetSibling(Node node, Node* sibling) const {
  *sibling = 0;
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  View parent;  // empty: the top of the tree
  Node parentNode = 0;
  if (GetParent(node, &parentNode) == kDeviceTreeOk && !Resolve(parentNode, &parent)) {
    return kNoSuchDevNode;
  }
  const std::vector<std::string> siblings = Children(parent);
  const auto it = std::find(siblings.begin(), siblings.end(), view.devPath);
  if (it == siblings.end() || it + 1 == siblings.end()) {
    return kNoSuchDevNode;
  }
  *sibling = HandleOf(*(it + 1));
  return *sibling != 0 ? kDeviceTreeOk : kNoSuchDevNode;
}

uint32_t SysfsDeviceTree::GetInstanceId(Node node, std::u16string* instanceId) const {
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  *instanceId = Widen(view.devPath);
  return kDeviceTreeOk;
}

uint32_t SysfsDeviceTree::GetStatus(Node node, uint32_t* status, uint32_t* problem) const {
  *status = 0;
  *problem = 0;
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  // A USB device or interface that is not authorized is the kernel's form of a disabled device.
  for (const std::string& path : {view.usbDevicePath, view.interfacePath}) {
    if (!path.empty() && Attribute(root_ + path, "authorized") == "0") {
      *status = kDevNodeHasProblem;
      *problem = kProblemDisabled;
    }
  }
  return kDeviceTreeOk;
}

uint32_t SysfsDeviceTree::CheckSetupInfo(std::u16string_view instanceId) const {
  Node node = 0;
  return Locate(instanceId, &node) == kDeviceTreeOk ? kDeviceTreeOk : kNoSuchDevInst;
}

uint32_t SysfsDeviceTree::GetProperty(Node node, DeviceProperty property, RegistryValue* value) const {
  View view;
  if (!Resolve(node, &view)) {
    return kNoSuchDevNode;
  }
  const Shape shape = view.shape();
  const std::string name = BaseName(view.devPath);
  const std::string usbDevice = view.usbDevicePath.empty() ? std::string() : root_ + view.usbDevicePath;
  const std::string usbInterface = view.interfacePath.empty() ? std::string() : root_ + view.interfacePath;

  // What the USB device and interface say of themselves.
  std::string product;
  std::string description;
  if (!usbDevice.empty()) {
    product = Attribute(usbDevice, "product");
  }
  if (!usbInterface.empty()) {
    description = Attribute(usbInterface, "interface");
  }
  if (description.empty() || shape == Shape::kUsbDevice) {
    description = product;
  }
  if (description.empty()) {
    description = name;
  }

  std::u16string text;
  switch (property) {
    case DeviceProperty::kClass: {
      static const std::map<Shape, const char16_t*> kClasses{
          {Shape::kUsbDevice, u"USB"}, {Shape::kUsbInterface, u"USB"}, {Shape::kNet, u"Net"},
          {Shape::kTty, u"Ports"}};
      if (shape == Shape::kBlock) {
        // A SCSI device of type 5 is a CD-ROM drive; its disk is two folders up ("block", the device).
        const bool cdRom = name.rfind("sr", 0) == 0 ||
                           Attribute(root_ + ParentPath(ParentPath(view.devPath)), "type") == "5";
        text = cdRom ? u"CDROM" : u"DiskDrive";
      } else if (const auto it = kClasses.find(shape); it != kClasses.end()) {
        text = it->second;
      } else {
        text = CleanText(view.device.subsystem);
      }
      break;
    }
    case DeviceProperty::kDeviceDescription:
      text = CleanText(description);
      break;
    case DeviceProperty::kFriendlyName:
      // A function carries its kernel name, which is what a user of this machine knows it by.
      text = CleanText(IsFunction(shape) ? description + " (" + name + ")" : description);
      break;
    case DeviceProperty::kService:
      text = CleanText(view.driver);
      break;
    case DeviceProperty::kDriver:
      if (!view.driver.empty() && !view.driverSubsystem.empty()) {
        text = CleanText("/bus/" + view.driverSubsystem + "/drivers/" + view.driver);
      }
      break;
    case DeviceProperty::kManufacturer:
      if (!usbDevice.empty()) {
        text = CleanText(Attribute(usbDevice, "manufacturer"));
      }
      break;
    case DeviceProperty::kHardwareIds: {
      if (usbDevice.empty()) {
        return kNoSuchValue;
      }
      std::string fileText;
      for (const char* file : {"idVendor", "idProduct", "bcdDevice"}) {
        if (ReadFile(usbDevice + "/" + file, &fileText) == ReadResult::kTooLarge) {
          return kBufferSmall;
        }
      }
      const std::string vid = Attribute(usbDevice, "idVendor");
      const std::string pid = Attribute(usbDevice, "idProduct");
      const std::string rev = Attribute(usbDevice, "bcdDevice");
      if (!IsHex(vid, 4) || !IsHex(pid, 4)) {
        return kNoSuchValue;
      }
      const std::string vidPid = "USB\\VID_" + Upper(vid) + "&PID_" + Upper(pid);
      std::string mi;
      if (!usbInterface.empty()) {
        const std::string number = Attribute(usbInterface, "bInterfaceNumber");
        if (!IsHex(number, 2)) {
          return kNoSuchValue;
        }
        mi = "&MI_" + Upper(number);
      }
      std::vector<std::u16string> ids;
      if (IsHex(rev, 4)) {
        ids.push_back(Widen(vidPid + "&REV_" + Upper(rev) + mi));
      }
      ids.push_back(Widen(vidPid + mi));
      *value = RegistryValue::MultiText(ids);
      return kDeviceTreeOk;
    }
  }
  if (text.empty()) {
    return kNoSuchValue;
  }
  *value = RegistryValue::Text(text);
  return kDeviceTreeOk;
}

uint32_t SysfsDeviceTree::OpenKey(Node node, DeviceKey /*key*/) const {
  View view;
  return Resolve(node, &view) ? kDeviceTreeOk : kInvalidHandle;
}

uint32_t SysfsDeviceTree::GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                                      RegistryValue* value) const {
  View view;
  if (!Resolve(node, &view)) {
    return kInvalidHandle;
  }
  const std::u16string kernelName = CleanText(BaseName(view.devPath));
  if (key == DeviceKey::kHardware && name == u"PortName" && view.shape() == Shape::kTty) {
    *value = RegistryValue::Text(kernelName);
    return kDeviceTreeOk;
  }
  if (key == DeviceKey::kDriver && view.shape() == Shape::kNet) {
    if (name == u"NetCfgInstanceId") {
      *value = RegistryValue::Text(kernelName);
      return kDeviceTreeOk;
    }
    if (name == u"*MediaType") {
      *value = RegistryValue::Number(view.device.Get("DEVTYPE") == "wwan" ? kMediumWirelessWan : kMedium8023);
      return kDeviceTreeOk;
    }
  }
  return kFileNotFound;
}

std::unique_ptr<MachineDeviceTree> CreateMachineDeviceTree() {
  return std::make_unique<SysfsDeviceTree>();
}

}  // namespace platform
