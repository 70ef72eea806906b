// The device tree reader's decoding of registry values: a composite modem whose properties and key
// values the input overwrites with values of any type and bytes, then read as the module reads it.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "netutil/device_info_helper.h"
#include "platform/composite_modem_tree.h"
#include "platform/in_memory_device_tree.h"

namespace {

using platform::DeviceKey;
using platform::DeviceProperty;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  auto tree = std::make_shared<platform::InMemoryDeviceTree>();
  const platform::CompositeModem modem = platform::AddCompositeModem(*tree);
  const std::array nodes{modem.rootHub, modem.usbDevice, modem.networkAdapter, modem.modem, modem.nmeaPort,
                         modem.diagnosticsPort};

  for (int changes = 0; changes < 16 && input.remaining_bytes() > 0; ++changes) {
    const auto node = input.PickValueInArray(nodes);
    switch (input.ConsumeIntegralInRange(0, 4)) {
      case 0:
        tree->SetProperty(node, input.PickValueInArray(kProperties), ValueFrom(input));
        break;
      case 1: {
        const DeviceKey key = input.ConsumeBool() ? DeviceKey::kHardware : DeviceKey::kDriver;
        tree->SetKeyValue(node, key, input.PickValueInArray(kValueNames), ValueFrom(input));
        break;
      }
      case 2:
        tree->SetKeyPresent(node, input.ConsumeBool() ? DeviceKey::kHardware : DeviceKey::kDriver, false);
        break;
      case 3:
        tree->SetSetupInfoPresent(node, false);
        break;
      default:
        tree->SetStatus(node, input.ConsumeIntegral<uint32_t>(), input.ConsumeIntegral<uint32_t>());
        break;
    }
  }

  // No trace log: formatting every trace line would cost most of the time, and the formatter has a
  // target of its own.
  NetUtilities::DeviceInfoHelper helper(nullptr, 1, tree);
  DeviceInfoTree info;
  if (helper.GetDeviceInfo(modem.networkAdapterId, info)) {
    (void)helper.GetAdapterName(info);
  }
  if (helper.GetDeviceInfo(modem.nmeaPortId, info)) {
    (void)helper.GetAdapterName(info);
  }
  return 0;
}
