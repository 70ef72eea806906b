#include "fuzz/discarding_trace_log.h"

#include <cstdarg>

#include "host/kit/formatter.h"

void DiscardingTraceLog::TraceA(int32_t, int32_t, const char* format, ...) {
  va_list args;
  va_start(args, format);
  (void)hostkit::FormatTraceA(format, args);
  va_end(args);
}

void DiscardingTraceLog::TraceW(int32_t, int32_t, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  (void)hostkit::FormatTraceW(format, args);
  va_end(args);
}
