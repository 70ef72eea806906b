// unlock: the SIM's PIN.
#include <algorithm>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "host/commands/command_table.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

constexpr char kForce[] = "--force";

bool IsPin(const std::string& text) {
  return text.size() >= 4 && text.size() <= 8 &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
}

// Ready with no PIN or PUK asked for: a PIN sent now only counts against the SIM's tries.
bool SimNeedsNoPin(ICellularSDK& sdk) {
  // 18 KB: kept off the command thread's stack.
  const auto info = std::make_unique<CellularCardInfo>();
  if (!sdk.GetCellularCardInfo(info.get())) {
    return false;
  }
  const uint32_t bits = info->simStatusBits;
  return (bits & NORMAL_SIM_STATUS_READY) != 0 &&
         (bits & (NORMAL_SIM_STATUS_PIN1_REQUIRED | NORMAL_SIM_STATUS_PUK1_REQUIRED)) == 0;
}

// The PIN goes to the module only: it is never printed, and script lines are not echoed.
CommandResult Unlock(HostSession& session, const std::vector<std::string>& args) {
  const bool force = args.size() == 2 && args[1] == kForce;
  if (args.size() != 1 && !force) {
    return Usage();
  }
  // Each wrong PIN costs one of the SIM's few tries: refuse what cannot be a PIN before sending it.
  if (!IsPin(args[0])) {
    return Failed("a PIN is 4 to 8 digits; nothing was sent");
  }
  if (!force && SimNeedsNoPin(*session.sdk)) {
    return Ok({"unlock: the SIM is ready and needs no PIN; nothing was sent (--force sends it)"});
  }
  return Reported("unlock", session.sdk->UnlockSim(args[0].c_str()));
}

}  // namespace

void AddSimCommands(CommandTable& table) {
  table.Add({"unlock", "PIN [--force]",
             "unlock the SIM with its PIN, 4 to 8 digits (the SIM status follows; the PIN is never shown); a "
             "ready SIM is left alone unless --force",
             Unlock, Needs::kAttachedModem});
}

}  // namespace vesk_host
