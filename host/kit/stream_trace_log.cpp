#include "host/kit/stream_trace_log.h"

#include <cstdarg>

#include "host/kit/formatter.h"

namespace vesk_host {

StreamTraceLog::StreamTraceLog(std::FILE* stream, int32_t maxLevel, std::chrono::steady_clock::time_point start)
    : stream_(stream), maxLevel_(maxLevel), start_(start) {}

void StreamTraceLog::TraceA(int32_t category, int32_t level, const char* format, ...) {
  if (level > maxLevel_.load()) {
    return;
  }
  va_list args;
  va_start(args, format);
  const std::string text = hostkit::FormatTraceA(format, args);
  va_end(args);
  Write(category, level, text);
}

void StreamTraceLog::TraceW(int32_t category, int32_t level, const char16_t* format, ...) {
  if (level > maxLevel_.load()) {
    return;
  }
  va_list args;
  va_start(args, format);
  const std::string text = hostkit::FormatTraceW(format, args);
  va_end(args);
  Write(category, level, text);
}

void StreamTraceLog::Write(int32_t category, int32_t level, const std::string& text) {
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (writer_) {
    char stamp[48];
    std::snprintf(stamp, sizeof stamp, "[%9.3f] %d/%d ", elapsed, static_cast<int>(category),
                  static_cast<int>(level));
    writer_(stamp + text);
    return;
  }
  std::lock_guard<std::mutex> lock(lock_);
  std::fprintf(stream_, "[%9.3f] %d/%d %s\n", elapsed, static_cast<int>(category), static_cast<int>(level),
               text.c_str());
  std::fflush(stream_);
}

}  // namespace vesk_host
