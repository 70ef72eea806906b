#include "host/commands/command_parser.h"

#include <cctype>
#include <charconv>
#include <string>

#include "vesk/notifications.h"

namespace vesk_host {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string Normalized(std::string_view text) {
  std::string normalized;
  for (char c : text) {
    normalized += c == '-' ? '_' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return normalized;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(std::string_view line, std::string* error) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) {
      ++at;
    }
    if (at == line.size()) {
      break;
    }
    std::string word;
    if (line[at] == '"') {
      const size_t close = line.find('"', at + 1);
      if (close == std::string_view::npos) {
        *error = "unterminated quote";
        return std::nullopt;
      }
      word = line.substr(at + 1, close - at - 1);
      at = close + 1;
    } else {
      const size_t start = at;
      while (at < line.size() && !IsBlank(line[at])) {
        ++at;
      }
      word = line.substr(start, at - start);
    }
    words.push_back(std::move(word));
  }
  if (words.empty() || words.front().starts_with('#')) {
    return std::nullopt;
  }
  CommandLine command{words.front(), {words.begin() + 1, words.end()}};
  return command;
}

std::string JoinArguments(const std::vector<std::string>& args) {
  std::string line;
  for (const std::string& arg : args) {
    if (!line.empty()) {
      line += ' ';
    }
    const bool quote = arg.find_first_of(" \t") != std::string::npos;
    line += quote ? '"' + arg + '"' : arg;
  }
  return line;
}

std::optional<uint32_t> ParseMilliseconds(std::string_view text) {
  uint64_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, value);
  if (text.empty() || status != std::errc() || stop != end || value > 0xFFFFFFFEull) {
    return std::nullopt;
  }
  return static_cast<uint32_t>(value);
}

std::optional<int32_t> ParseNotificationCode(std::string_view text) {
  int32_t number = 0;
  const char* end = text.data() + text.size();
  const auto [stop, status] = std::from_chars(text.data(), end, number);
  if (!text.empty() && status == std::errc() && stop == end) {
    return number;
  }
  static const std::string kPrefix = "WWAN_NOTIFICATION_";
  std::string wanted = Normalized(text);
  if (!wanted.starts_with(kPrefix)) {
    wanted = kPrefix + wanted;
  }
  for (int32_t code = WWAN_NOTIFICATION_SDK_INITIALIZING; code <= WWAN_NOTIFICATION_GPS_INFO_CHANGED;
       ++code) {
    if (wanted == NotificationName(code)) {
      return code;
    }
  }
  return std::nullopt;
}

}  // namespace vesk_host
