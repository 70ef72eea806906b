#include "platform/composite_modem_tree.h"

#include <vector>

namespace platform {
namespace {

// Setup class GUIDs, the parents of the driver keys.
constexpr char16_t kUsbClass[] = u"{36fc9e60-c465-11cf-8056-444553540000}";
constexpr char16_t kNetClass[] = u"{4d36e972-e325-11ce-bfc1-08002be10318}";
constexpr char16_t kModemClass[] = u"{4d36e96d-e325-11ce-bfc1-08002be10318}";
constexpr char16_t kPortsClass[] = u"{4d36e978-e325-11ce-bfc1-08002be10318}";
// The device interface class under which the vendor library finds the modem.
constexpr char16_t kModemInterfaceClass[] = u"{86e0d1e0-8089-11d0-9ce4-08003e301f73}";

struct Function {
  const char16_t* interfaceNumber;
  const char16_t* className;
  const char16_t* classGuid;
  std::u16string description;
  std::u16string friendlyName;
  const char16_t* service;
};

void Describe(InMemoryDeviceTree& tree, DeviceTree::Node node, const std::u16string& className,
              const std::u16string& description, const std::u16string& friendlyName,
              const std::u16string& service, const std::u16string& driverKey,
              const std::u16string& manufacturer, const std::vector<std::u16string>& hardwareIds) {
  tree.SetProperty(node, DeviceProperty::kClass, RegistryValue::Text(className));
  tree.SetProperty(node, DeviceProperty::kDeviceDescription, RegistryValue::Text(description));
  if (!friendlyName.empty()) {
    tree.SetProperty(node, DeviceProperty::kFriendlyName, RegistryValue::Text(friendlyName));
  }
  tree.SetProperty(node, DeviceProperty::kService, RegistryValue::Text(service));
  tree.SetProperty(node, DeviceProperty::kDriver, RegistryValue::Text(driverKey));
  tree.SetProperty(node, DeviceProperty::kManufacturer, RegistryValue::Text(manufacturer));
  tree.SetProperty(node, DeviceProperty::kHardwareIds, RegistryValue::MultiText(hardwareIds));
}

}  // namespace

std::u16string DeviceInterfaceName(std::u16string_view instanceId) {
  std::u16string name = u"\\\\?\\";
  for (char16_t c : instanceId) {
    name += c == u'\\' ? u'#' : c;
  }
  return name + u"#" + kModemInterfaceClass;
}

CompositeModem AddCompositeModem(InMemoryDeviceTree& tree, const CompositeModemOptions& options) {
  CompositeModem modem;
  const std::u16string vidPid = u"VID_" + options.vid + u"&PID_" + options.pid;

  modem.rootHub = tree.AddNode(0, u"USB\\ROOT_HUB30\\4&" + options.serial + u"&0&0");
  Describe(tree, modem.rootHub, u"USB", u"USB Root Hub (USB 3.0)", u"", u"USBHUB3",
           std::u16string(kUsbClass) + u"\\0001", u"(Standard USB HUBs)",
           {u"USB\\ROOT_HUB30&VID8086&PID9D2F&REV0021", u"USB\\ROOT_HUB30"});

  modem.usbDeviceId = u"USB\\" + vidPid + u"\\" + options.serial;
  modem.usbDevice = tree.AddNode(modem.rootHub, modem.usbDeviceId);
  Describe(tree, modem.usbDevice, u"USB", u"USB Composite Device", u"", u"usbccgp",
           std::u16string(kUsbClass) + u"\\0012", options.manufacturer,
           {u"USB\\" + vidPid + u"&REV_0001", u"USB\\" + vidPid});

  const Function functions[] = {
      {u"00", u"Net", kNetClass, u"Vesk Mobile Broadband Network Adapter",
       u"Vesk Mobile Broadband Network Adapter", u"veskwwan"},
      {u"01", u"Modem", kModemClass, u"Vesk HS-USB Modem", u"Vesk HS-USB Modem", u"veskmdm"},
      {u"02", u"Ports", kPortsClass, u"Vesk NMEA Port", u"Vesk NMEA Port (" + options.nmeaPort + u")",
       u"veskser"},
      {u"03", u"Ports", kPortsClass, u"Vesk Diagnostics Port",
       u"Vesk Diagnostics Port (" + options.diagnosticsPort + u")", u"veskser"},
  };
  DeviceTree::Node nodes[4] = {};
  std::u16string ids[4];
  for (int i = 0; i < 4; ++i) {
    const Function& f = functions[i];
    const std::u16string functionIds = u"USB\\" + vidPid + u"&MI_" + f.interfaceNumber;
    ids[i] = functionIds + u"\\6&" + options.serial + u"&0&000" + f.interfaceNumber[1];
    nodes[i] = tree.AddNode(modem.usbDevice, ids[i]);
    Describe(tree, nodes[i], f.className, f.description, f.friendlyName, f.service,
             std::u16string(f.classGuid) + u"\\000" + f.interfaceNumber[1], options.manufacturer,
             {u"USB\\" + vidPid + u"&REV_0001&MI_" + f.interfaceNumber, functionIds});
  }
  modem.networkAdapter = nodes[0];
  modem.modem = nodes[1];
  modem.nmeaPort = nodes[2];
  modem.diagnosticsPort = nodes[3];
  modem.networkAdapterId = ids[0];
  modem.modemId = ids[1];
  modem.nmeaPortId = ids[2];
  modem.diagnosticsPortId = ids[3];

  tree.SetKeyValue(modem.networkAdapter, DeviceKey::kDriver, u"NetCfgInstanceId",
                   RegistryValue::Text(options.settingId));
  tree.SetKeyValue(modem.networkAdapter, DeviceKey::kDriver, u"*MediaType",
                   RegistryValue::Number(options.mediaType));
  tree.SetKeyValue(modem.modem, DeviceKey::kDriver, u"AttachedTo", RegistryValue::Text(options.modemPort));
  tree.SetKeyValue(modem.nmeaPort, DeviceKey::kHardware, u"PortName", RegistryValue::Text(options.nmeaPort));
  tree.SetKeyValue(modem.diagnosticsPort, DeviceKey::kHardware, u"PortName",
                   RegistryValue::Text(options.diagnosticsPort));
  modem.interfaceName = DeviceInterfaceName(modem.networkAdapterId);
  return modem;
}

}  // namespace platform
