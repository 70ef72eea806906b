// Formats narrow text into a string with this platform's own C printf rules (not the host's trace
// convention: %ld here reads a long). Results are limited to 9999 bytes; a longer result, or a format
// that cannot be formatted, gives instead the text
//   ERROR, COULD NOT FORMAT STRING <count>, <errno>\nHere is the format specifier portion: '<format>'
// so a caller never gets a silently cut line.
#pragma once

#include <cstdarg>
#include <string>
#include <type_traits>

void FormatNarrow(std::string& result, const char* format, va_list args);

namespace format_narrow_detail {
void FormatNarrowList(std::string& result, const char* format, ...);
}

// The same with the arguments given directly: FormatNarrow(text, "%02X", checksum). A template so
// that a call with a literal 0 never binds to the va_list form above.
template <typename... Args>
void FormatNarrow(std::string& result, const char* format, Args... args) {
  static_assert((std::is_scalar_v<Args> && ...), "printf arguments must be scalars or pointers");
  format_narrow_detail::FormatNarrowList(result, format, args...);
}
