#include "trace/trace.h"

#include "platform/text.h"

namespace trace_detail {

std::string IndentedNarrowFormat(const char16_t* message) {
  return kTraceIndent + platform::Narrow(message);
}

std::string IndentedNarrowFormat(const char* message) {
  std::string format = kTraceIndent;
  if (message != nullptr) {
    format += message;
  }
  return format;
}

}  // namespace trace_detail
