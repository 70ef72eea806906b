#include "sim/scenario_text.h"

#include <cctype>

namespace vesksim {

std::string_view Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) {
    ++begin;
  }
  while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) {
    --end;
  }
  return text.substr(begin, end - begin);
}

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
    }
    const size_t start = i;
    while (i < text.size() && !std::isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
    }
    if (i > start) {
      words.push_back(text.substr(start, i - start));
    }
  }
  return words;
}

std::optional<int64_t> ParseInteger(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > (base == 16 ? 15u : 18u)) {  // no overflow
    return std::nullopt;
  }
  int64_t value = 0;
  for (char c : text) {
    int digit;
    if (std::isdigit(static_cast<unsigned char>(c))) {
      digit = c - '0';
    } else if (base == 16 && std::isxdigit(static_cast<unsigned char>(c))) {
      digit = std::tolower(static_cast<unsigned char>(c)) - 'a' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
  }
  return negative ? -value : value;
}

std::optional<int64_t> ParseInRange(std::string_view text, int64_t low, int64_t high) {
  const auto value = ParseInteger(text);
  if (!value || *value < low || *value > high) {
    return std::nullopt;
  }
  return value;
}

std::optional<bool> ParseBool(std::string_view text) {
  for (std::string_view yes : {"yes", "true", "on", "1"}) {
    if (text == yes) {
      return true;
    }
  }
  for (std::string_view no : {"no", "false", "off", "0"}) {
    if (text == no) {
      return false;
    }
  }
  return std::nullopt;
}

std::optional<uint32_t> ParseDottedAddress(std::string_view text) {
  uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) {
      return std::nullopt;
    }
    const std::string_view digits = text.substr(0, dot);
    if (digits.empty() || digits.size() > 3 ||
        digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    const auto value = ParseInRange(digits, 0, 255);
    if (!value) {
      return std::nullopt;
    }
    address = address << 8 | static_cast<uint32_t>(*value);
    text.remove_prefix(part < 3 ? dot + 1 : dot);
  }
  return address;
}

}  // namespace vesksim
