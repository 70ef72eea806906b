// Small text helpers shared by the scenario and event-line parsers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesksim {

std::string_view Trim(std::string_view text);

// Blank-separated words.
std::vector<std::string_view> Words(std::string_view text);

// Decimal or 0x-hexadecimal, with an optional sign.
std::optional<int64_t> ParseInteger(std::string_view text);

// Within [low, high].
std::optional<int64_t> ParseInRange(std::string_view text, int64_t low, int64_t high);

// yes/no, true/false, on/off, 1/0.
std::optional<bool> ParseBool(std::string_view text);

// "a.b.c.d", most significant byte first.
std::optional<uint32_t> ParseDottedAddress(std::string_view text);

}  // namespace vesksim
