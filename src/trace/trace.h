// The module's trace target and the three ways it writes a message line to the host's trace log.
//
// Every message line carries a four-blank indent under the enclosing "==> " scope line. Formats follow
// the host's printf convention (%ld and %lu read 32 bits, %ws and %S read const char16_t*, %hs reads a
// UTF-8 const char*), so pass arguments of exactly the types that convention reads. Calls may come from
// any thread; a null trace-log pointer means no call at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

#include "vesk/host_interfaces.h"

inline constexpr int32_t kTraceCategory = 20;

inline constexpr int32_t kTraceLevelError = 2;
inline constexpr int32_t kTraceLevelWarning = 3;
inline constexpr int32_t kTraceLevelInfo = 4;
inline constexpr int32_t kTraceLevelVerbose = 5;
inline constexpr int32_t kTraceLevelDeviceTree = 6;

// The indent that every message line begins with.
inline constexpr char kTraceIndent[] = "    ";

namespace trace_detail {

// Anything else passed through a C variable argument list is undefined behaviour at the host.
template <typename... Args>
inline constexpr bool kAllPrintfArguments = (std::is_scalar_v<Args> && ...);

// kTraceIndent followed by the message converted to narrow text. Built on every traced line, even
// for a host that filters it: a format that fits is built in place, without the heap.
class IndentedFormat {
 public:
  explicit IndentedFormat(const char16_t* message);
  explicit IndentedFormat(const char* message);
  IndentedFormat(const IndentedFormat&) = delete;
  IndentedFormat& operator=(const IndentedFormat&) = delete;

  const char* c_str() const { return long_.empty() ? short_ : long_.c_str(); }

 private:
  static constexpr std::size_t kShort = 256;
  char short_[kShort];
  std::string long_;
};

}  // namespace trace_detail

// A wide format whose literal text already begins with the indent (u"    SDK is already open"),
// passed through TraceW as it is.
template <typename... Args>
void TraceWideMessage(IHostTraceLog* traceLog, int32_t category, int32_t level, const char16_t* format,
                      Args... args) {
  static_assert(trace_detail::kAllPrintfArguments<Args...>, "trace arguments must be scalars or pointers");
  if (traceLog == nullptr) {
    return;
  }
  traceLog->TraceW(category, level, format, args...);
}

// A narrow format whose literal text already begins with the indent ("    signal strength '%d'"),
// passed through TraceA as it is: the twin of a device message on a hot path, where narrowing a
// wide format for every line, even one the host drops, costs more than the rest of the line.
template <typename... Args>
void TraceIndentedMessage(IHostTraceLog* traceLog, int32_t category, int32_t level, const char* format,
                          Args... args) {
  static_assert(trace_detail::kAllPrintfArguments<Args...>, "trace arguments must be scalars or pointers");
  if (traceLog == nullptr) {
    return;
  }
  traceLog->TraceA(category, level, format, args...);
}

// A wide message written without the indent: narrowed, prefixed with the indent and passed as the
// narrow format to TraceA. Its specifiers are therefore read by the host's narrow rules.
template <typename... Args>
void TraceDeviceMessage(IHostTraceLog* traceLog, int32_t category, int32_t level, const char16_t* message,
                        Args... args) {
  static_assert(trace_detail::kAllPrintfArguments<Args...>, "trace arguments must be scalars or pointers");
  if (traceLog == nullptr) {
    return;
  }
  const trace_detail::IndentedFormat format(message);
  traceLog->TraceA(category, level, format.c_str(), args...);
}

// A narrow message written without the indent: prefixed with it and passed to TraceA.
template <typename... Args>
void TraceNarrowMessage(IHostTraceLog* traceLog, int32_t category, int32_t level, const char* message,
                        Args... args) {
  static_assert(trace_detail::kAllPrintfArguments<Args...>, "trace arguments must be scalars or pointers");
  if (traceLog == nullptr) {
    return;
  }
  const trace_detail::IndentedFormat format(message);
  traceLog->TraceA(category, level, format.c_str(), args...);
}
