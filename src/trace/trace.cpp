#include "trace/trace.h"

#include <cstring>

#include "platform/text.h"

namespace trace_detail {

IndentedFormat::IndentedFormat(const char16_t* message) {
  constexpr std::size_t indent = sizeof kTraceIndent - 1;
  std::memcpy(short_, kTraceIndent, indent);
  if (message == nullptr) {
    short_[indent] = '\0';
    return;
  }
  // Module formats are ASCII literals: copied unit by unit, one test per unit (the terminator and
  // anything beyond ASCII both end the loop). Anything else takes the full conversion.
  char* out = short_ + indent;
  const char16_t* p = message;
  for (const char16_t* const room = message + (kShort - indent - 1); p != room; ++p, ++out) {
    const auto unit = static_cast<uint16_t>(*p);
    if (static_cast<uint16_t>(unit - 1u) >= 0x7Fu) {
      break;
    }
    *out = static_cast<char>(unit);
  }
  // Every unit before p is nonzero, so *p may be read even when the room ran out.
  if (*p == u'\0') {
    *out = '\0';
    return;
  }
  long_ = kTraceIndent + platform::Narrow(message);
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
