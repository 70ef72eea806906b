// A host trace log that formats every call with the host kit's formatter and keeps the lines, for the
// tests and the reference host.
//
// Thread-safe: the module traces from all of its threads at once. Text searches match substrings of
// the formatted line (message lines carry their four-blank indent). The line observer, if any, is
// called on the tracing thread after the line is recorded, with no lock of the log held.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vesk/host_interfaces.h"

namespace hostkit {

struct TraceLine {
  char channel;  // 'A' for TraceA, 'W' for TraceW
  int32_t category;
  int32_t level;
  std::string text;  // UTF-8
};

class RecordingTraceLog : public IHostTraceLog {
 public:
  using LineObserver = std::function<void(const TraceLine&)>;

  RecordingTraceLog() = default;
  explicit RecordingTraceLog(LineObserver observer);
  virtual ~RecordingTraceLog() = default;

  RecordingTraceLog(const RecordingTraceLog&) = delete;
  RecordingTraceLog& operator=(const RecordingTraceLog&) = delete;

  void TraceA(int32_t category, int32_t level, const char* format, ...) override;
  void TraceW(int32_t category, int32_t level, const char16_t* format, ...) override;

  // Replaces the observer; an empty function removes it.
  void SetLineObserver(LineObserver observer);

  std::vector<TraceLine> lines() const;
  // Searches are restricted to one level when it is given.
  bool Contains(std::string_view text, std::optional<int32_t> level = std::nullopt) const;
  size_t Count(std::string_view text, std::optional<int32_t> level = std::nullopt) const;
  std::optional<TraceLine> FindLine(std::string_view text, std::optional<int32_t> level = std::nullopt) const;
  // Waits (real time) until a matching line has been recorded; true if one was.
  bool WaitForLine(std::string_view text, std::chrono::milliseconds timeout,
                   std::optional<int32_t> level = std::nullopt) const;
  void Clear();

  // Scopes whose "==> X" and "<== X" lines do not pair up at one level: an entry without its exit, or
  // an exit before its entry. Lines are "NAME (level N)".
  std::vector<std::string> UnbalancedScopes() const;
  bool AllScopesBalanced() const { return UnbalancedScopes().empty(); }

 private:
  void Record(TraceLine line);
  std::optional<TraceLine> FindLocked(std::string_view text, std::optional<int32_t> level) const;

  mutable std::mutex linesLock_;
  mutable std::condition_variable lineAdded_;
  std::vector<TraceLine> lines_;
  std::shared_ptr<const LineObserver> observer_;
};

}  // namespace hostkit
