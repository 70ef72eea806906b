// diag: the module's special diagnostic commands.
#include "host/commands/diag_commands.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/commands/command_table.h"

namespace vesk_host {

namespace {

std::optional<uint32_t> Parse(const std::string& text, uint32_t max) {
  uint32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value > max) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<uint32_t> DiagnosticCommandWord(const std::vector<std::string>& args) {
  if (args.empty() || args.size() > 3) {
    return std::nullopt;
  }
  const auto code = Parse(args[0], 0xFFFF);
  if (!code) {
    return std::nullopt;
  }
  if (*code == 6 && args.size() == 3) {
    const auto mcc = Parse(args[1], 0xFF);
    const auto mnc = Parse(args[2], 0xFF);
    if (!mcc || !mnc) {
      return std::nullopt;
    }
    return *code | (*mnc << 16) | (*mcc << 24);
  }
  if (args.size() == 3) {
    return std::nullopt;
  }
  const auto param = args.size() == 2 ? Parse(args[1], 0xFFFF) : std::optional<uint32_t>(0);
  if (!param) {
    return std::nullopt;
  }
  return *code | (*param << 16);
}

namespace {

CommandResult Diag(HostSession& session, const std::vector<std::string>& args) {
  const auto command = DiagnosticCommandWord(args);
  if (!command) {
    return Usage();
  }
  const bool result = session.sdk->PerformSpecialDiagnostics(*command);
  // Most diagnostic commands answer false by design and write their results to the trace.
  return Ok({std::string("diag: ") + (result ? "true" : "false")});
}

}  // namespace

void AddDiagCommands(CommandTable& table) {
  table.Add({"diag", "CODE [PARAM] | 6 MCC MNC",
             "run a diagnostic command (PARAM fills the high 16 bits; the result is mostly in the trace)", Diag, Needs::kOpenModule});
}

}  // namespace vesk_host
