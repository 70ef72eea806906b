// devices: the modems that this machine's device tree shows, one per line, by the instance ID that
// `attach INSTANCE-ID` takes.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/commands/command_table.h"
#include "host/commands/device_list.h"
#include "netutil/device_info_helper.h"
#include "platform/device_tree.h"
#include "platform/text.h"

namespace vesk_host {

std::vector<ModemListing> ListModems(const platform::MachineDeviceTree& tree) {
  std::vector<ModemListing> modems;
  // The host's own reader of the tree, without a trace log: the module traces its own reads.
  NetUtilities::DeviceInfoHelper helper(nullptr, 0,
                                        std::shared_ptr<const platform::DeviceTree>(&tree, [](const auto*) {}));
  for (const std::u16string& id : tree.UsbDevices()) {
    DeviceInfoTree info;
    if (!helper.GetDeviceInfo(id, info) || info.nodes.empty() || info.nodes.front().id != id) {
      continue;  // gone meanwhile, or a function of a larger device listed on its own
    }
    const DeviceNode* adapter = nullptr;
    const DeviceNode* nmea = nullptr;
    for (const DeviceNode& node : info.nodes) {
      if (node.vid != info.vid || node.pid != info.pid) {
        continue;  // a device behind a hub of its own
      }
      if (adapter == nullptr && node.kind == NetUtilities::kNodeNet && node.hasWwanDrivers) {
        adapter = &node;
      }
      // The port that the module takes for GPS: the first port described as an NMEA port.
      if (nmea == nullptr && node.kind == NetUtilities::kNodePorts &&
          node.deviceDescription.find(u"NMEA") != std::u16string::npos) {
        nmea = &node;
      }
    }
    if (adapter == nullptr) {
      continue;  // not a mobile-broadband device
    }
    ModemListing modem;
    modem.instanceId = platform::Narrow(id);
    modem.vidPid = platform::Narrow(info.vid + u"&" + info.pid);
    modem.adapterName = platform::Narrow(helper.GetAdapterName(info));
    modem.nmeaPort = nmea != nullptr ? platform::Narrow(nmea->comPort) : std::string();
    modem.disabled = info.nodes.front().disabled || adapter->disabled;
    modems.push_back(std::move(modem));
  }
  return modems;
}

std::string FormatListing(const ModemListing& modem) {
  return modem.instanceId + "  " + modem.vidPid + "  adapter \"" + modem.adapterName + "\"  nmea " +
         (modem.nmeaPort.empty() ? "-" : modem.nmeaPort) + (modem.disabled ? "  disabled" : "  enabled");
}

namespace {

CommandResult Devices(HostSession&, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  const std::unique_ptr<platform::MachineDeviceTree> tree = platform::CreateMachineDeviceTree();
  const std::vector<ModemListing> modems = ListModems(*tree);
  std::vector<std::string> lines;
  if (modems.empty()) {
    lines.push_back("devices: no modem found");
  }
  for (const ModemListing& modem : modems) {
    lines.push_back("devices: " + FormatListing(modem));
  }
  return Ok(std::move(lines));
}

}  // namespace

void AddDeviceCommands(CommandTable& table) {
  table.Add({"devices", "",
             "list the modems this machine's device tree shows: instance ID (for attach), VID&PID, adapter "
             "name, NMEA port, enabled or disabled",
             Devices});
}

}  // namespace vesk_host
