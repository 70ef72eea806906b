#include "host/kit/recording_trace_log.h"

#include <cstdarg>
#include <map>
#include <utility>

#include "host/kit/formatter.h"

namespace hostkit {
namespace {

bool Matches(const TraceLine& line, std::string_view text, std::optional<int32_t> level) {
  return (!level || line.level == *level) && line.text.find(text) != std::string::npos;
}

}  // namespace

RecordingTraceLog::RecordingTraceLog(LineObserver observer) {
  SetLineObserver(std::move(observer));
}

void RecordingTraceLog::TraceA(int32_t category, int32_t level, const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTraceA(format, args);
  va_end(args);
  Record(TraceLine{'A', category, level, std::move(text)});
}

void RecordingTraceLog::TraceW(int32_t category, int32_t level, const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTraceW(format, args);
  va_end(args);
  Record(TraceLine{'W', category, level, std::move(text)});
}

void RecordingTraceLog::Record(TraceLine line) {
  std::shared_ptr<const LineObserver> observer;
  {
    std::lock_guard<std::mutex> lock(linesLock_);
    lines_.push_back(line);
    observer = observer_;
  }
  lineAdded_.notify_all();
  // Outside the lock, so an observer may read the log.
  if (observer) {
    (*observer)(line);
  }
}

void RecordingTraceLog::SetLineObserver(LineObserver observer) {
  auto shared = observer ? std::make_shared<const LineObserver>(std::move(observer)) : nullptr;
  std::lock_guard<std::mutex> lock(linesLock_);
  observer_ = std::move(shared);
}

std::vector<TraceLine> RecordingTraceLog::lines() const {
  std::lock_guard<std::mutex> lock(linesLock_);
  return lines_;
}

std::optional<TraceLine> RecordingTraceLog::FindLocked(std::string_view text,
                                                       std::optional<int32_t> level) const {
  for (const TraceLine& line : lines_) {
    if (Matches(line, text, level)) {
      return line;
    }
  }
  return std::nullopt;
}

bool RecordingTraceLog::Contains(std::string_view text, std::optional<int32_t> level) const {
  return FindLine(text, level).has_value();
}

size_t RecordingTraceLog::Count(std::string_view text, std::optional<int32_t> level) const {
  std::lock_guard<std::mutex> lock(linesLock_);
  size_t count = 0;
  for (const TraceLine& line : lines_) {
    if (Matches(line, text, level)) {
      ++count;
    }
  }
  return count;
}

std::optional<TraceLine> RecordingTraceLog::FindLine(std::string_view text,
                                                     std::optional<int32_t> level) const {
  std::lock_guard<std::mutex> lock(linesLock_);
  return FindLocked(text, level);
}

bool RecordingTraceLog::WaitForLine(std::string_view text, std::chrono::milliseconds timeout,
                                    std::optional<int32_t> level) const {
  std::unique_lock<std::mutex> lock(linesLock_);
  return lineAdded_.wait_for(lock, timeout, [&] { return FindLocked(text, level).has_value(); });
}

void RecordingTraceLog::Clear() {
  std::lock_guard<std::mutex> lock(linesLock_);
  lines_.clear();
}

std::vector<std::string> RecordingTraceLog::UnbalancedScopes() const {
  static constexpr std::string_view kEntry = "==> ";
  static constexpr std::string_view kExit = "<== ";
  std::map<std::pair<std::string, int32_t>, long> open;
  std::vector<std::string> unbalanced;
  auto describe = [](const std::pair<std::string, int32_t>& scope) {
    return scope.first + " (level " + std::to_string(scope.second) + ")";
  };
  std::lock_guard<std::mutex> lock(linesLock_);
  for (const TraceLine& line : lines_) {
    const std::string_view text = line.text;
    const bool entry = text.substr(0, kEntry.size()) == kEntry;
    if (!entry && text.substr(0, kExit.size()) != kExit) {
      continue;
    }
    auto scope = std::make_pair(std::string(text.substr(kEntry.size())), line.level);
    long& depth = open[scope];
    depth += entry ? 1 : -1;
    if (depth < 0) {
      unbalanced.push_back(describe(scope));
      depth = 0;
    }
  }
  for (const auto& [scope, depth] : open) {
    if (depth != 0) {
      unbalanced.push_back(describe(scope));
    }
  }
  return unbalanced;
}

}  // namespace hostkit
