#include "trace/format_narrow.h"

#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

constexpr int kBufferSize = 10000;

}  // namespace

void FormatNarrow(std::string& result, const char* format, va_list args) {
  auto buffer = std::make_unique<char[]>(kBufferSize);
  int count = -1;
  if (format == nullptr) {
    errno = EINVAL;
  } else {
    va_list copy;
    va_copy(copy, args);
    count = std::vsnprintf(buffer.get(), kBufferSize, format, copy);
    va_end(copy);
    // vsnprintf reports the length it needed; a truncating formatter fails with -1 instead.
    if (count >= kBufferSize) {
      count = -1;
    }
  }
  const int error = errno;
  if (count > 0) {
    result = buffer.get();
    return;
  }
  result = "ERROR, COULD NOT FORMAT STRING " + std::to_string(count) + ", " + std::to_string(error);
  if (format != nullptr) {
    result += "\nHere is the format specifier portion: '";
    result += format;
    result += "'";
  }
}

namespace format_narrow_detail {

void FormatNarrowList(std::string& result, const char* format, ...) {
  va_list args;
  va_start(args, format);
  FormatNarrow(result, format, args);
  va_end(args);
}

}  // namespace format_narrow_detail
