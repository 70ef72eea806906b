#include "trace/trace.h"

#include <cstring>

#include "platform/text.h"

namespace trace_detail {

IndentedFormat::IndentedFormat(const char16_t* message) {
  constexpr std::size_t indent = sizeof kTraceIndent - 1;
  std::memcpy(short_, kTraceIndent, indent);
  std::size_t length = indent;
  // Module formats are ASCII literals: copied unit by unit. Anything else takes the full conversion.
  for (const char16_t* p = message; p != nullptr && *p != u'\0'; ++p) {
    if (*p >= 0x80 || length + 1 >= kShort) {
      long_ = kTraceIndent + platform::Narrow(message);
      return;
    }
    short_[length++] = static_cast<char>(*p);
  }
  short_[length] = '\0';
}

IndentedFormat::IndentedFormat(const char* message) {
  constexpr std::size_t indent = sizeof kTraceIndent - 1;
  std::memcpy(short_, kTraceIndent, indent);
  const std::size_t length = message != nullptr ? std::strlen(message) : 0;
  if (indent + length < kShort) {
    std::memcpy(short_ + indent, message != nullptr ? message : "", length + 1);
  } else {
    long_ = std::string(kTraceIndent) + message;
  }
}

}  // namespace trace_detail
