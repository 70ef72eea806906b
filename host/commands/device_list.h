// The modems of a device tree as the `devices` command lists them.
#pragma once

#include <string>
#include <vector>

namespace platform {
class MachineDeviceTree;
}

namespace vesk_host {

struct ModemListing {
  std::string instanceId;  // the USB device's, as `attach` takes it
  std::string vidPid;      // "vid_ffff&pid_2000"
  std::string adapterName;
  std::string nmeaPort;  // empty when the modem has none
  bool disabled = false;  // the USB device or its network adapter
};

// The USB devices with a wireless-WAN network adapter, in the bus's order.
std::vector<ModemListing> ListModems(const platform::MachineDeviceTree& tree);
// One line: instance ID, VID&PID, adapter name, NMEA port ("-" when none), enabled or disabled.
std::string FormatListing(const ModemListing& modem);

}  // namespace vesk_host
