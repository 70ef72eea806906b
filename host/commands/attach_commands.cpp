// attach, detach: binding the plug-in to a modem and letting it go.
#include <memory>
#include <string>
#include <utility>

#include "host/commands/command_table.h"
#include "host/commands/device_list.h"
#include "platform/device_tree.h"
#include "platform/text.h"

namespace vesk_host {

namespace {

constexpr char kTurnedOn[] = "--turned-on";

bool DeviceTreeShows(const std::string& instanceId) {
  const std::unique_ptr<platform::MachineDeviceTree> tree = platform::CreateMachineDeviceTree();
  for (const ModemListing& modem : ListModems(*tree)) {
    if (modem.instanceId == instanceId) {
      return true;
    }
  }
  return false;
}

CommandResult AttachById(HostSession& session, const std::string& instanceId, bool turnedOn);

CommandResult Attach(HostSession& session, const std::vector<std::string>& args) {
  bool turnedOn = false;
  std::string instanceId;
  for (const std::string& arg : args) {
    if (arg == kTurnedOn && !turnedOn) {
      turnedOn = true;
    } else if (arg.rfind("--", 0) != 0 && instanceId.empty()) {
      instanceId = arg;
    } else {
      return Usage();
    }
  }
  if (!instanceId.empty() && !DeviceTreeShows(instanceId)) {
    // The module would retry every few seconds for a modem that may never appear.
    CommandResult result = AttachById(session, instanceId, turnedOn);
    result.lines.insert(result.lines.begin(), "attach: warning: the device tree shows no modem '" + instanceId +
                                                  "' (devices lists them); the module retries until it appears");
    return result;
  }
  if (instanceId.empty()) {
    // Without a device tree of this machine to name the modem by, the module connects the first
    // modem that the vendor library finds.
    if (!turnedOn) {
      return Reported("attach", session.sdk->AttachToCellularDevice());
    }
    IVeskSDK* vesk = session.sdk->GetVeskSDK();
    return Reported("attach", vesk != nullptr && vesk->AttachToCellularDevice(true));
  }
  return AttachById(session, instanceId, turnedOn);
}

CommandResult AttachById(HostSession& session, const std::string& instanceId, bool turnedOn) {
  // The module names the modem by the first node of the tree it is given.
  DeviceInfoTree tree;
  DeviceNode node;
  node.id = platform::Widen(instanceId);
  tree.nodes.push_back(std::move(node));
  if (!turnedOn) {
    return Reported("attach", session.sdk->AttachToCellularDevice(std::move(tree)));
  }
  IVeskSDK* vesk = session.sdk->GetVeskSDK();
  return Reported("attach", vesk != nullptr && vesk->AttachToCellularDevice(std::move(tree), true));
}

CommandResult Detach(HostSession& session, const std::vector<std::string>& args) {
  if (!args.empty()) {
    return Usage();
  }
  return Reported("detach", session.sdk->DetachFromCellularDevice());
}

}  // namespace

void AddAttachCommands(CommandTable& table) {
  table.Add({"attach", "[INSTANCE-ID] [--turned-on]",
             "attach to the modem with that device instance ID, or to the first modem found; --turned-on "
             "when the modem was just switched on (the attach then starts 7.5 s later)",
             Attach, Needs::kOpenModule});
  table.Add({"detach", "", "detach from the modem", Detach, Needs::kOpenModule});
}

}  // namespace vesk_host
