// diag: the module's special diagnostic commands.
#include "host/commands/diag_commands.h"

#include <charconv>
#include <cstdio>
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

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%x", value);
  return text;
}

CommandResult Diag(HostSession& session, const std::vector<std::string>& args) {
  const auto command = DiagnosticCommandWord(args);
  if (!command) {
    // The command word carries each code in 8 bits: a code such as 310 cannot be sent at all.
    if (args.size() == 3 && args[0] == "6") {
      return Failed("diag 6 sends MCC and MNC in 8 bits each of the command word: each must be 0 to 255");
    }
    return Usage();
  }
  // The reports are information lines (level 4), below the trace's default level: shown for the call.
  constexpr int32_t kReportLevel = 4;
  const int32_t level = session.traceLog != nullptr ? session.traceLog->maxLevel() : kReportLevel;
  if (level < kReportLevel) {
    session.traceLog->SetMaxLevel(kReportLevel);
  }
  const bool result = session.sdk->PerformSpecialDiagnostics(*command);
  if (level < kReportLevel) {
    session.traceLog->SetMaxLevel(level);
  }
  // Most diagnostic commands answer false by design: their result is what they wrote to the trace.
  return Ok({"diag: command 0x" + Hex(*command) + " sent; the module answered " + (result ? "true" : "false") +
             "; its report, if any, is in the trace lines (level 4 and below) written meanwhile"});
}

}  // namespace

void AddDiagCommands(CommandTable& table) {
  table.Add({"diag", "CODE [PARAM] | 6 MCC MNC",
             "run a diagnostic command (PARAM fills the high 16 bits; 6 takes MCC and MNC of 0 to 255, one "
             "byte each); its report goes to the trace, which shows information lines (level 4) while it runs",
             Diag, Needs::kOpenModule});
}

}  // namespace vesk_host
