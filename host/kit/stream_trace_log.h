// The reference host's trace log: formats each trace call and writes it as one line to a file or to
// standard error, keeping only lines at or below a level (2 errors ... 6 most verbose).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <mutex>
#include <string>
#include <utility>

#include "vesk/host_interfaces.h"

namespace vesk_host {

class StreamTraceLog : public IHostTraceLog {
 public:
  // Writes to stream (not owned; kept open by the caller) the lines whose level is at most maxLevel,
  // each stamped with the seconds since start.
  StreamTraceLog(std::FILE* stream, int32_t maxLevel, std::chrono::steady_clock::time_point start);
  virtual ~StreamTraceLog() = default;
  StreamTraceLog(const StreamTraceLog&) = delete;
  StreamTraceLog& operator=(const StreamTraceLog&) = delete;

  // The level can change while the module traces: a command may show more for a moment.
  int32_t maxLevel() const { return maxLevel_.load(); }
  void SetMaxLevel(int32_t maxLevel) { maxLevel_.store(maxLevel); }

  // Lines go to writer instead of the stream (set before the module traces): a prompt holds them
  // back while the user types.
  void WriteThrough(std::function<void(const std::string&)> writer) { writer_ = std::move(writer); }

  void TraceA(int32_t category, int32_t level, const char* format, ...) override;
  void TraceW(int32_t category, int32_t level, const char16_t* format, ...) override;

 private:
  void Write(int32_t category, int32_t level, const std::string& text);

  std::mutex lock_;
  std::FILE* const stream_;
  std::function<void(const std::string&)> writer_;
  std::atomic<int32_t> maxLevel_;
  const std::chrono::steady_clock::time_point start_;
};

}  // namespace vesk_host
