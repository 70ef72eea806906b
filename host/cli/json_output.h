// vesk-host --json: every notification and every command result as one JSON object a line, for
// scripts and test rigs. The keys are listed in docs/host-guide.md and only ever gain new ones.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "host/commands/command_result.h"
#include "host/kit/recording_notification_sink.h"

namespace vesk_host {

// One line of JSON, UTF-8 kept as it is; invalid UTF-8 becomes U+FFFD.
std::string JsonText(const nlohmann::ordered_json& value);

// A JSON string literal, quotes included; control characters are escaped.
std::string JsonString(std::string_view text);

// {"kind":"notification","time":..,"utc":..,"code":..,"name":..,"params":{..}}
std::string NotificationJson(const hostkit::RecordedNotification& notification, double elapsedSeconds);
nlohmann::ordered_json NotificationObject(const hostkit::RecordedNotification& notification, double elapsedSeconds);

// {"kind":"result","time":..,"command":..,"args":[..],"ok":..,"status":..,"reason":..,"output":[..]}.
// Secrets among the arguments (PINs, passwords) are replaced by "***".
std::string ResultJson(const std::string& command, const std::vector<std::string>& args,
                       const CommandResult& result, double elapsedSeconds);
nlohmann::ordered_json ResultObject(const std::string& command, const std::vector<std::string>& args,
                                    const CommandResult& result, double elapsedSeconds);

}  // namespace vesk_host
