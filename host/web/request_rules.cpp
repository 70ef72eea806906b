#include "host/web/request_rules.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <random>

namespace vesk_host {

namespace {

std::optional<uint16_t> Port(std::string_view text) {
  if (text.empty() || text.size() > 5 ||
      !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; })) {
    return std::nullopt;
  }
  const unsigned long value = std::stoul(std::string(text));
  if (value > 65535) {
    return std::nullopt;
  }
  return static_cast<uint16_t>(value);
}

bool IsIpv4(std::string_view text) {
  int parts = 0;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    const std::string_view part = text.substr(start, dot == std::string_view::npos ? text.npos : dot - start);
    if (part.empty() || part.size() > 3 ||
        !std::all_of(part.begin(), part.end(), [](unsigned char c) { return std::isdigit(c) != 0; }) ||
        std::stoi(std::string(part)) > 255) {
      return false;
    }
    ++parts;
    if (dot == std::string_view::npos) {
      return parts == 4;
    }
    start = dot + 1;
  }
}

bool IsIpv6(std::string_view text) {
  return text.find(':') != std::string_view::npos &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isxdigit(c) != 0 || c == ':' || c == '.'; });
}

// Built by appending: a literal + a temporary string draws a false -Wrestrict from GCC 12 at -O3.
std::string Joined(std::initializer_list<std::string_view> parts) {
  std::string text;
  for (const std::string_view part : parts) {
    text += part;
  }
  return text;
}

bool IsAnyAddress(std::string_view host) {
  return host == "0.0.0.0" || host == "::";
}

}  // namespace

std::optional<ServeAddress> ParseServeAddress(std::string_view text, std::string* error) {
  ServeAddress address;
  std::string_view port = text;
  if (!text.empty() && text.front() == '[') {
    const std::size_t close = text.find("]:");
    if (close == std::string_view::npos || !IsIpv6(text.substr(1, close - 1))) {
      *error = Joined({"--serve takes [ADDRESS:]PORT, not '", text, "'"});
      return std::nullopt;
    }
    address.host = std::string(text.substr(1, close - 1));
    port = text.substr(close + 2);
  } else if (const std::size_t colon = text.rfind(':'); colon != std::string_view::npos) {
    address.host = std::string(text.substr(0, colon));
    port = text.substr(colon + 1);
    if (!IsIpv4(address.host) && address.host != "localhost") {
      *error = Joined({"--serve takes an IP address or localhost, not '", address.host, "'"});
      return std::nullopt;
    }
  }
  const auto number = Port(port);
  if (!number) {
    *error = Joined({"--serve takes a port from 0 to 65535, not '", port, "'"});
    return std::nullopt;
  }
  address.port = *number;
  return address;
}

bool IsLoopback(std::string_view host) {
  return host == "localhost" || host == "::1" || (IsIpv4(host) && host.substr(0, 4) == "127.");
}

bool HostHeaderAllowed(std::string_view header, std::string_view host, uint16_t port) {
  std::string_view name = header;
  std::optional<uint16_t> given = 80;
  const std::size_t colon = header.rfind(':');
  const std::size_t bracket = header.rfind(']');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket)) {
    name = header.substr(0, colon);
    given = Port(header.substr(colon + 1));
  }
  if (!given || *given != port) {
    return false;
  }
  if (name.size() >= 2 && name.front() == '[' && name.back() == ']') {
    name = name.substr(1, name.size() - 2);
    if (!IsIpv6(name)) {
      return false;
    }
  }
  if (IsAnyAddress(host)) {
    return IsIpv4(name) || IsIpv6(name);
  }
  if (IsLoopback(host) && name == "localhost") {
    return true;
  }
  return name == host;
}

std::string CookieValue(std::string_view header, std::string_view name) {
  std::size_t start = 0;
  while (start < header.size()) {
    std::size_t end = header.find(';', start);
    if (end == std::string_view::npos) {
      end = header.size();
    }
    std::string_view pair = header.substr(start, end - start);
    while (!pair.empty() && pair.front() == ' ') {
      pair.remove_prefix(1);
    }
    const std::size_t equals = pair.find('=');
    if (equals != std::string_view::npos && pair.substr(0, equals) == name) {
      return std::string(pair.substr(equals + 1));
    }
    start = end + 1;
  }
  return "";
}

bool SameToken(std::string_view given, std::string_view expected) {
  if (given.size() != expected.size() || expected.empty()) {
    return false;
  }
  unsigned char difference = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i] ^ expected[i]);
  }
  return difference == 0;
}

std::string NewToken() {
  std::random_device source;
  static const char kDigits[] = "0123456789abcdef";
  std::string token;
  for (int i = 0; i < 4; ++i) {
    uint32_t bits = source();
    for (int j = 0; j < 8; ++j, bits >>= 4) {
      token += kDigits[bits & 0xf];
    }
  }
  return token;
}

std::string UrlHost(std::string_view host) {
  return host.find(':') != std::string_view::npos ? Joined({"[", host, "]"}) : std::string(host);
}

}  // namespace vesk_host
