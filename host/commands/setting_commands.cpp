// service, autoconnect: the settings the modem keeps for the host (radio technology, automatic
// connection).
#include <string>
#include <vector>

#include "host/commands/command_table.h"
#include "vesk/values.h"

namespace vesk_host {

namespace {

struct Name {
  int32_t value;
  const char* text;
};

constexpr Name kSelectionWords[] = {
    {NORMAL_SERVICESELECTION_Default, "default"},
    {NORMAL_SERVICESELECTION_2G_ONLY, "2g"},
    {NORMAL_SERVICESELECTION_3G_ONLY, "3g"},
    {NORMAL_SERVICESELECTION_3G_Preferred, "3g-preferred"},
};

// Printed in the words the user types; the two values nobody types in words of their own.
constexpr Name kSelectionTexts[] = {
    {NORMAL_SERVICESELECTION_Not_Supported, "not supported"},
    {NORMAL_SERVICESELECTION_Default, "default"},
    {NORMAL_SERVICESELECTION_2G_ONLY, "2g"},
    {NORMAL_SERVICESELECTION_3G_ONLY, "3g"},
    {NORMAL_SERVICESELECTION_3G_Preferred, "3g-preferred"},
};

constexpr Name kAutoconnectTexts[] = {
    {NORMAL_AUTOCONNECT_Disabled, "off"},
    {NORMAL_AUTOCONNECT_Enabled, "on"},
    {NORMAL_AUTOCONNECT_Unsupported, "not supported"},
    {NORMAL_AUTOCONNECT_Unknown, "unknown"},
};

template <std::size_t N>
std::string TextOf(const Name (&names)[N], int32_t value) {
  for (const Name& name : names) {
    if (name.value == value) {
      return name.text;
    }
  }
  return "unknown (" + std::to_string(value) + ")";
}

CommandResult Service(HostSession& session, const std::vector<std::string>& args) {
  if (args.size() > 1) {
    return Usage();
  }
  if (args.empty()) {
    int32_t selection = NORMAL_SERVICESELECTION_Not_Supported;
    const bool result = session.sdk->GetCellularServiceSelection(&selection);
    return result ? Ok({"service: " + TextOf(kSelectionTexts, selection)})
                  : Failed("the module has no service selection: is a modem attached?");
  }
  for (const Name& word : kSelectionWords) {
    if (args[0] == word.text) {
      CommandResult result = Reported("service", session.sdk->SetCellularServiceSelection(word.value));
      // The modem may keep another value than the one asked for (it treats 3g-preferred as automatic).
      int32_t kept = word.value;
      if (result.ok() && session.sdk->GetCellularServiceSelection(&kept) && kept != word.value) {
        result.lines.push_back("service: the modem keeps it as " + TextOf(kSelectionTexts, kept));
      }
      return result;
    }
  }
  return Usage();
}

// The password goes to the module only: it is never printed, and script lines are not echoed.
CommandResult Autoconnect(HostSession& session, const std::vector<std::string>& args) {
  if (args.empty()) {
    return Ok({"autoconnect: " + TextOf(kAutoconnectTexts, session.sdk->GetAutoConnectMode())});
  }
  if (args[0] == "off" && args.size() == 1) {
    return Reported("autoconnect",
                    session.sdk->SetAutoConnectMode(NORMAL_AUTOCONNECT_Disabled, "", "", ""));
  }
  if (args[0] == "on" && args.size() >= 2 && args.size() <= 4) {
    const std::string userName = args.size() > 2 ? args[2] : "";
    const std::string password = args.size() > 3 ? args[3] : "";
    return Reported("autoconnect",
                    session.sdk->SetAutoConnectMode(NORMAL_AUTOCONNECT_Enabled, args[1].c_str(),
                                                  userName.c_str(), password.c_str()));
  }
  return Usage();
}

}  // namespace

void AddSettingCommands(CommandTable& table) {
  table.Add({"service", "[default|2g|3g|3g-preferred]",
             "print the radio technology the modem may use, or choose it (kept by the modem)", Service, Needs::kAttachedModem});
  table.Add({"autoconnect", "[on APN [USER [PASSWORD]] | off]",
             "print the modem's automatic connection mode, or switch it (the password is never shown)",
             Autoconnect, Needs::kAttachedModem});
}

}  // namespace vesk_host
