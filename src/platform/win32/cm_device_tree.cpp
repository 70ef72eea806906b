// This file must contain only Win32 code.
#include "platform/win32/cm_device_tree.h"

#include <windows.h>
// After windows.h:
#include <cfgmgr32.h>
#include <setupapi.h>

#include <memory>
#include <vector>

namespace platform {
namespace {

std::wstring Wide(std::u16string_view text) {
  return std::wstring(text.begin(), text.end());
}

// A device information set holding one device, opened by instance ID; closed on destruction.
class SetupDevice {
 public:
  explicit SetupDevice(std::u16string_view instanceId)
      : set_(SetupDiCreateDeviceInfoList(nullptr, nullptr)) {
    if (set_ == INVALID_HANDLE_VALUE) {
      error_ = GetLastError();
      return;
    }
    data_.cbSize = sizeof data_;
    if (!SetupDiOpenDeviceInfoW(set_, Wide(instanceId).c_str(), nullptr, 0, &data_)) {
      error_ = GetLastError();
    }
  }
  ~SetupDevice() {
    if (set_ != INVALID_HANDLE_VALUE) {
      SetupDiDestroyDeviceInfoList(set_);
    }
  }
  SetupDevice(const SetupDevice&) = delete;
  SetupDevice& operator=(const SetupDevice&) = delete;

  uint32_t error() const { return error_; }

  // A property through the installer; its own error numbers (a missing property is ERROR_INVALID_DATA).
  uint32_t ReadProperty(DeviceProperty property, RegistryValue* value) const {
    if (error_ != 0) {
      return error_;
    }
    auto* data = const_cast<SP_DEVINFO_DATA*>(&data_);
    const DWORD id = static_cast<DWORD>(property);
    DWORD type = 0, size = 0;
    if (!SetupDiGetDeviceRegistryPropertyW(set_, data, id, &type, nullptr, 0, &size)) {
      const DWORD error = GetLastError();
      if (error != ERROR_INSUFFICIENT_BUFFER) {
        return error != 0 ? error : kInvalidData;
      }
    }
    std::vector<uint8_t> bytes(size);
    if (!SetupDiGetDeviceRegistryPropertyW(set_, data, id, &type, bytes.data(), size, &size)) {
      const DWORD error = GetLastError();
      return error != 0 ? error : kInvalidData;
    }
    bytes.resize(size);
    value->type = type;
    value->data = std::move(bytes);
    return kDeviceTreeOk;
  }

  // The hardware or driver key, or null with *error set.
  HKEY OpenKey(DeviceKey key, uint32_t* error) const {
    if (error_ != 0) {
      *error = kInvalidHandle;
      return nullptr;
    }
    const HKEY opened = SetupDiOpenDevRegKey(set_, const_cast<SP_DEVINFO_DATA*>(&data_), DICS_FLAG_GLOBAL, 0,
                                             key == DeviceKey::kHardware ? DIREG_DEV : DIREG_DRV, KEY_READ);
    if (opened == INVALID_HANDLE_VALUE) {
      *error = GetLastError() != 0 ? GetLastError() : kNoSuchRegistryKey;
      return nullptr;
    }
    *error = kDeviceTreeOk;
    return opened;
  }

 private:
  HDEVINFO set_;
  SP_DEVINFO_DATA data_{};
  uint32_t error_ = 0;
};

}  // namespace

std::vector<std::u16string> CmDeviceTree::UsbDevices() const {
  std::vector<std::u16string> devices;
  const ULONG filter = CM_GETIDLIST_FILTER_ENUMERATOR | CM_GETIDLIST_FILTER_PRESENT;
  ULONG size = 0;
  if (CM_Get_Device_ID_List_SizeW(&size, const_cast<wchar_t*>(L"USB"), filter) != CR_SUCCESS || size == 0) {
    return devices;
  }
  std::wstring list(size, L'\0');
  if (CM_Get_Device_ID_ListW(L"USB", list.data(), size, filter) != CR_SUCCESS) {
    return devices;
  }
  // Zero-separated IDs ended by an empty one; interfaces of a composite device carry "&MI_".
  for (std::size_t start = 0; start < list.size() && list[start] != L'\0';) {
    const std::size_t end = list.find(L'\0', start);
    const std::wstring id = list.substr(start, end - start);
    if (id.find(L"&MI_") == std::wstring::npos) {
      devices.emplace_back(id.begin(), id.end());
    }
    start = end + 1;
  }
  return devices;
}

uint32_t CmDeviceTree::Locate(std::u16string_view instanceId, Node* node) const {
  *node = 0;
  std::wstring id = Wide(instanceId);
  DEVINST found = 0;
  const CONFIGRET result = CM_Locate_DevNodeW(&found, id.data(), CM_LOCATE_DEVNODE_NORMAL);
  if (result == CR_SUCCESS) {
    *node = found;
  }
  return result;
}

uint32_t CmDeviceTree::GetParent(Node node, Node* parent) const {
  DEVINST found = 0;
  const CONFIGRET result = CM_Get_Parent(&found, node, 0);
  *parent = result == CR_SUCCESS ? found : 0;
  return result;
}

uint32_t CmDeviceTree::GetChild(Node node, Node* child) const {
  DEVINST found = 0;
  const CONFIGRET result = CM_Get_Child(&found, node, 0);
  *child = result == CR_SUCCESS ? found : 0;
  return result;
}

uint32_t CmDeviceTree::GetSibling(Node node, Node* sibling) const {
  DEVINST found = 0;
  const CONFIGRET result = CM_Get_Sibling(&found, node, 0);
  *sibling = result == CR_SUCCESS ? found : 0;
  return result;
}

uint32_t CmDeviceTree::GetInstanceId(Node node, std::u16string* instanceId) const {
  ULONG length = 0;
  CONFIGRET result = CM_Get_Device_ID_Size(&length, node, 0);
  if (result != CR_SUCCESS) {
    return result;
  }
  std::wstring id(length + 1, L'\0');
  result = CM_Get_Device_IDW(node, id.data(), length + 1, 0);
  if (result == CR_SUCCESS) {
    id.resize(length);
    instanceId->assign(id.begin(), id.end());
  }
  return result;
}

uint32_t CmDeviceTree::GetStatus(Node node, uint32_t* status, uint32_t* problem) const {
  ULONG nodeStatus = 0, nodeProblem = 0;
  const CONFIGRET result = CM_Get_DevNode_Status(&nodeStatus, &nodeProblem, node, 0);
  *status = nodeStatus;
  *problem = nodeProblem;
  return result;
}

uint32_t CmDeviceTree::CheckSetupInfo(std::u16string_view instanceId) const {
  return SetupDevice(instanceId).error();
}

uint32_t CmDeviceTree::GetProperty(Node node, DeviceProperty property, RegistryValue* value) const {
  // The configuration manager numbers its properties one above the setup API's (CM_DRP_* = SPDRP_* + 1).
  const ULONG cmProperty = static_cast<ULONG>(property) + 1;
  ULONG type = 0, size = 0;
  CONFIGRET result = CM_Get_DevNode_Registry_PropertyW(node, cmProperty, &type, nullptr, &size, 0);
  if (result != CR_SUCCESS && result != CR_BUFFER_SMALL) {
    return result;
  }
  std::vector<uint8_t> data(size);
  result = CM_Get_DevNode_Registry_PropertyW(node, cmProperty, &type, data.data(), &size, 0);
  if (result != CR_SUCCESS) {
    return result;
  }
  data.resize(size);
  value->type = type;
  value->data = std::move(data);
  return kDeviceTreeOk;
}

uint32_t CmDeviceTree::GetSetupProperty(Node node, DeviceProperty property, RegistryValue* value) const {
  std::u16string id;
  if (GetInstanceId(node, &id) != kDeviceTreeOk) {
    return kNoSuchDevInst;
  }
  return SetupDevice(id).ReadProperty(property, value);
}

uint32_t CmDeviceTree::OpenKey(Node node, DeviceKey key) const {
  std::u16string id;
  if (const uint32_t error = GetInstanceId(node, &id); error != kDeviceTreeOk) {
    return kInvalidHandle;
  }
  uint32_t error = 0;
  const HKEY opened = SetupDevice(id).OpenKey(key, &error);
  if (opened != nullptr) {
    RegCloseKey(opened);
  }
  return error;
}

uint32_t CmDeviceTree::GetKeyValue(Node node, DeviceKey key, std::u16string_view name,
                                   RegistryValue* value) const {
  std::u16string id;
  if (GetInstanceId(node, &id) != kDeviceTreeOk) {
    return kInvalidHandle;
  }
  uint32_t error = 0;
  const HKEY opened = SetupDevice(id).OpenKey(key, &error);
  if (opened == nullptr) {
    return error;
  }
  const std::wstring valueName = Wide(name);
  DWORD type = 0, size = 0;
  LSTATUS status = RegQueryValueExW(opened, valueName.c_str(), nullptr, &type, nullptr, &size);
  std::vector<uint8_t> data(size);
  if (status == ERROR_SUCCESS) {
    status = RegQueryValueExW(opened, valueName.c_str(), nullptr, &type, data.data(), &size);
  }
  RegCloseKey(opened);
  if (status != ERROR_SUCCESS) {
    return static_cast<uint32_t>(status);
  }
  data.resize(size);
  value->type = type;
  value->data = std::move(data);
  return kDeviceTreeOk;
}

std::unique_ptr<MachineDeviceTree> CreateMachineDeviceTree() {
  return std::make_unique<CmDeviceTree>();
}

}  // namespace platform
