#include "nmea/number_reader.h"

#include <charconv>
#include <cstddef>
#include <limits>
#include <system_error>

namespace nmea {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::size_t SkipBlanks(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) {
    ++i;
  }
  return i;
}

// The magnitude of a decimal integer at text[i...], saturated just above limit.
struct Magnitude {
  uint64_t value = 0;
  bool digits = false;
  bool overflow = false;
};

Magnitude ReadMagnitude(std::string_view text, std::size_t i, uint64_t limit) {
  Magnitude m;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    m.digits = true;
    if (!m.overflow) {
      m.value = m.value * 10 + static_cast<uint64_t>(text[i] - '0');
      m.overflow = m.value > limit;
    }
  }
  return m;
}

// True when a number that from_chars found out of range is too large (rather than too small), judged
// by its decimal exponent; the two cases lie hundreds of decades apart.
bool IsOverflow(std::string_view mantissa, std::string_view exponent) {
  int64_t position = 0;  // decimal exponent of the first significant digit, plus one
  bool seenDot = false;
  bool seenSignificant = false;
  for (char c : mantissa) {
    if (c == '.') {
      seenDot = true;
    } else if (!seenSignificant && c == '0') {
      if (seenDot) {
        --position;
      }
    } else {
      seenSignificant = true;
      if (!seenDot && position < (int64_t{1} << 40)) {
        ++position;
      }
    }
  }
  int64_t exp = 0;
  bool negativeExp = false;
  std::size_t i = 0;
  if (i < exponent.size() && (exponent[i] == '+' || exponent[i] == '-')) {
    negativeExp = exponent[i] == '-';
    ++i;
  }
  for (; i < exponent.size(); ++i) {
    if (exp < (int64_t{1} << 40)) {
      exp = exp * 10 + (exponent[i] - '0');
    }
  }
  return position + (negativeExp ? -exp : exp) > 0;
}

}  // namespace

bool ReadDouble(std::string_view text, double& value) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The characters a stream accepts: digits with at most one point, then an exponent once a digit
  // has been seen. What they spell must be a complete number, or the extraction fails.
  const std::size_t mantissaStart = i;
  bool digits = false;
  bool point = false;
  while (i < text.size()) {
    if (IsDigit(text[i])) {
      digits = true;
    } else if (text[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    ++i;
  }
  if (!digits) {
    return false;
  }
  const std::size_t mantissaEnd = i;
  std::size_t exponentStart = i;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    ++i;
    exponentStart = i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
      ++i;
    }
    const std::size_t exponentDigits = i;
    while (i < text.size() && IsDigit(text[i])) {
      ++i;
    }
    if (i == exponentDigits) {
      return false;
    }
  }
  double magnitude = 0.0;
  const auto [end, ec] =
      std::from_chars(text.data() + mantissaStart, text.data() + i, magnitude, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    const std::string_view mantissa = text.substr(mantissaStart, mantissaEnd - mantissaStart);
    const std::string_view exponent =
        exponentStart == mantissaEnd ? std::string_view() : text.substr(exponentStart, i - exponentStart);
    if (IsOverflow(mantissa, exponent)) {
      return false;
    }
    magnitude = 0.0;
  } else if (ec != std::errc() || end != text.data() + i) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

bool ReadInt(std::string_view text, int32_t& value) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const uint64_t limit = negative ? uint64_t{1} << 31 : uint64_t{std::numeric_limits<int32_t>::max()};
  const Magnitude m = ReadMagnitude(text, i, limit);
  if (!m.digits || m.overflow) {
    return false;
  }
  value = negative ? static_cast<int32_t>(-static_cast<int64_t>(m.value)) : static_cast<int32_t>(m.value);
  return true;
}

bool ReadUnsigned(std::string_view text, uint32_t& value) {
  std::size_t i = SkipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const Magnitude m = ReadMagnitude(text, i, std::numeric_limits<uint32_t>::max());
  if (!m.digits || m.overflow) {
    return false;
  }
  const auto magnitude = static_cast<uint32_t>(m.value);
  value = negative ? 0u - magnitude : magnitude;
  return true;
}

}  // namespace nmea
