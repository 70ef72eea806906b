// The device tree reader's decoding of registry values: a composite modem whose properties and key
// values the input overwrites with values of any type and bytes, then read as the module reads it.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "netutil/device_info_helper.h"
#include "platform/composite_modem_tree.h"
#include "platform/in_memory_device_tree.h"

namespace {

using platform::DeviceKey;
using platform::DeviceProperty;
using platform::DeviceTree;
using platform::InMemoryDeviceTree;
using platform::RegistryValue;

constexpr std::array kProperties{DeviceProperty::kDeviceDescription, DeviceProperty::kHardwareIds,
                                 DeviceProperty::kService,           DeviceProperty::kClass,
                                 DeviceProperty::kDriver,            DeviceProperty::kManufacturer,
                                 DeviceProperty::kFriendlyName};
// The values the reader looks up under the two keys.
constexpr std::array<const char16_t*, 4> kValueNames{u"*MediaType", u"PortName", u"AttachedTo",
                                                     u"NetCfgInstanceId"};

RegistryValue ValueFrom(FuzzedDataProvider& input) {
  RegistryValue value;
  value.type = input.PickValueInArray({RegistryValue::kNone, RegistryValue::kText, RegistryValue::kExpandText,
                                       RegistryValue::kBinary, RegistryValue::kNumber, RegistryValue::kMultiText,
                                       static_cast<RegistryValue::Type>(0xFFFFFFFF)});
  const std::string bytes = input.ConsumeRandomLengthString(600);
  value.data.assign(bytes.begin(), bytes.end());
  return value;
}

// Building the tree costs more than reading it, so one tree serves every input: each change is
// undone from an untouched twin before the next input.
struct Trees {
  Trees() : work(std::make_shared<InMemoryDeviceTree>()), modem(platform::AddCompositeModem(*work)) {
    platform::AddCompositeModem(pristine);
  }
  std::shared_ptr<InMemoryDeviceTree> work;
  InMemoryDeviceTree pristine;
  platform::CompositeModem modem;
};

void RestoreProperty(Trees& trees, DeviceTree::Node node, DeviceProperty property) {
  RegistryValue value;
  if (trees.pristine.GetProperty(node, property, &value) == platform::kDeviceTreeOk) {
    trees.work->SetProperty(node, property, std::move(value));
  } else {
    trees.work->RemoveProperty(node, property);
  }
}

void RestoreKeyValue(Trees& trees, DeviceTree::Node node, DeviceKey key, const char16_t* name) {
  RegistryValue value;
  if (trees.pristine.GetKeyValue(node, key, name, &value) == platform::kDeviceTreeOk) {
    trees.work->SetKeyValue(node, key, name, std::move(value));
  } else {
    trees.work->RemoveKeyValue(node, key, name);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Trees trees;
  InMemoryDeviceTree& tree = *trees.work;
  const platform::CompositeModem& modem = trees.modem;
  const std::array nodes{modem.rootHub, modem.usbDevice, modem.networkAdapter, modem.modem, modem.nmeaPort,
                         modem.diagnosticsPort};
  std::vector<std::function<void()>> undo;

  FuzzedDataProvider input(data, size);
  const bool readNmeaPort = input.ConsumeBool();
  for (int changes = 0; changes < 16 && input.remaining_bytes() > 0; ++changes) {
    const auto node = input.PickValueInArray(nodes);
    switch (input.ConsumeIntegralInRange(0, 4)) {
      case 0: {
        const DeviceProperty property = input.PickValueInArray(kProperties);
        tree.SetProperty(node, property, ValueFrom(input));
        undo.emplace_back([=] { RestoreProperty(trees, node, property); });
        break;
      }
      case 1: {
        const DeviceKey key = input.ConsumeBool() ? DeviceKey::kHardware : DeviceKey::kDriver;
        const char16_t* name = input.PickValueInArray(kValueNames);
        tree.SetKeyValue(node, key, name, ValueFrom(input));
        undo.emplace_back([=] { RestoreKeyValue(trees, node, key, name); });
        break;
      }
      case 2: {
        const DeviceKey key = input.ConsumeBool() ? DeviceKey::kHardware : DeviceKey::kDriver;
        tree.SetKeyPresent(node, key, false);
        undo.emplace_back([=] { trees.work->SetKeyPresent(node, key, true); });
        break;
      }
      case 3:
        tree.SetSetupInfoPresent(node, false);
        undo.emplace_back([=] { trees.work->SetSetupInfoPresent(node, true); });
        break;
      default: {
        uint32_t status = 0;
        uint32_t problem = 0;
        trees.pristine.GetStatus(node, &status, &problem);
        tree.SetStatus(node, input.ConsumeIntegral<uint32_t>(), input.ConsumeIntegral<uint32_t>());
        undo.emplace_back([=] { trees.work->SetStatus(node, status, problem); });
        break;
      }
    }
  }

  // No trace log: formatting every trace line would cost most of the time, and the formatter has a
  // target of its own.
  NetUtilities::DeviceInfoHelper helper(nullptr, 1, trees.work);
  DeviceInfoTree info;
  if (helper.GetDeviceInfo(readNmeaPort ? modem.nmeaPortId : modem.networkAdapterId, info)) {
    (void)helper.GetAdapterName(info);
  }
  for (auto step = undo.rbegin(); step != undo.rend(); ++step) {
    (*step)();
  }
  return 0;
}
