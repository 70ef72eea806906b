// Puts a composite USB modem of the family into an in-memory device tree, the way the machine's
// Plug-and-Play tree shows one, for tests, the simulator and the reference host:
//
//   USB root hub                       USB    (no vendor or product ID)
//   └ USB composite device             USB    USB\VID_vvvv&PID_pppp\serial
//     ├ network adapter                Net    ...&MI_00  wireless WAN medium, NetCfgInstanceId
//     ├ modem                          Modem  ...&MI_01  AttachedTo = modem port
//     ├ NMEA port                      Ports  ...&MI_02  PortName = NMEA port, description with "NMEA"
//     └ diagnostics port               Ports  ...&MI_03  PortName = diagnostics port
#pragma once

#include <cstdint>
#include <string>

#include "platform/in_memory_device_tree.h"

namespace platform {

struct CompositeModemOptions {
  std::u16string vid = u"12AB";  // upper-case hex digits, as hardware IDs carry them
  std::u16string pid = u"34CD";
  std::u16string serial = u"1234";
  std::u16string manufacturer = u"Vesk Wireless";
  std::u16string modemPort = u"COM5";
  std::u16string nmeaPort = u"COM6";
  std::u16string diagnosticsPort = u"COM7";
  std::u16string settingId = u"{6B1F0E2A-4C3D-4E5F-8A9B-0C1D2E3F4A5B}";
  uint32_t mediaType = 9;  // wireless WAN
};

struct CompositeModem {
  DeviceTree::Node rootHub = 0;
  DeviceTree::Node usbDevice = 0;
  DeviceTree::Node networkAdapter = 0;
  DeviceTree::Node modem = 0;
  DeviceTree::Node nmeaPort = 0;
  DeviceTree::Node diagnosticsPort = 0;
  std::u16string usbDeviceId;
  std::u16string networkAdapterId;
  std::u16string modemId;
  std::u16string nmeaPortId;
  std::u16string diagnosticsPortId;
  // The device interface path by which the vendor library names the modem (its network adapter).
  std::u16string interfaceName;
};

// Adds the modem, with a root hub of its own, as a new top-level subtree.
CompositeModem AddCompositeModem(InMemoryDeviceTree& tree, const CompositeModemOptions& options = {});

// The device interface path of an instance ID: "\\?\" + the ID with "\" as "#" + "#{class GUID}".
std::u16string DeviceInterfaceName(std::u16string_view instanceId);

}  // namespace platform
