// The dashboard's rules for who may talk to it, as plain functions of the request's texts: the
// address it serves on, the Host and Origin it accepts and the access token.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vesk_host {

struct ServeAddress {
  std::string host = "127.0.0.1";  // an IP literal or localhost; IPv6 without brackets
  uint16_t port = 0;               // 0: any free port
};

// "PORT", "ADDRESS:PORT" or "[IPV6]:PORT"; nothing, with the reason in *error, for anything else.
std::optional<ServeAddress> ParseServeAddress(std::string_view text, std::string* error);

// 127.0.0.0/8, ::1 and localhost: reachable from this machine only.
bool IsLoopback(std::string_view host);

// Whether a Host header names this server (host, port), so that a page from a name that merely
// resolves to it (DNS rebinding) is refused. A server on every address accepts IP literals only.
bool HostHeaderAllowed(std::string_view header, std::string_view host, uint16_t port);

// The value of one cookie in a Cookie header, or empty text.
std::string CookieValue(std::string_view header, std::string_view name);

// Compares in time that does not depend on where the texts differ.
bool SameToken(std::string_view given, std::string_view expected);

// 128 random bits as 32 hex digits.
std::string NewToken();

// How a URL writes the host: IPv6 in brackets.
std::string UrlHost(std::string_view host);

}  // namespace vesk_host
