// Turning the reference host's command lines and their arguments into values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk_host {

struct CommandLine {
  std::string name;
  std::vector<std::string> args;
};

// Splits a line into a command name and its arguments, separated by blanks. A double-quoted word may
// hold blanks ("my apn"). Blank lines and comments (first word starting with '#') give nothing; an
// unterminated quote gives an error text in *error and nothing.
std::optional<CommandLine> ParseCommandLine(std::string_view line, std::string* error);

// The arguments joined by single blanks, each that holds a blank in double quotes again, so that a
// line handed on (simulate) keeps the words it was typed with.
std::string JoinArguments(const std::vector<std::string>& args);

// A duration in milliseconds: decimal digits, at most 4294967294.
std::optional<uint32_t> ParseMilliseconds(std::string_view text);

// A notification code from its full name (WWAN_NOTIFICATION_SDK_CLOSED), its name without the
// WWAN_NOTIFICATION_ prefix (sdk_closed, sdk-closed; any case) or its number.
std::optional<int32_t> ParseNotificationCode(std::string_view text);

}  // namespace vesk_host
