// Entry/exit tracer: writes "==> name" when built and "<== name" when destroyed, both through TraceA at
// one level, so an operation leaves exactly one pair of lines whichever way it returns.
//
// Create it first thing in an operation, named "Class::Operation". The name is copied; a null name is
// written as NULL. A null trace-log pointer writes nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class IHostTraceLog;

class ScopeTrace {
 public:
  // A name that outlives the scope, a literal: kept by address instead of copied. For hot paths
  // (a vendor callback per notification), where the copy is a good part of a dropped line's cost.
  struct StaticName {
    const char* text;
  };

  // Level 5 (verbose).
  ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name);
  ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name, int32_t level);
  ScopeTrace(IHostTraceLog* traceLog, int32_t category, StaticName name);
  ~ScopeTrace();

  ScopeTrace(const ScopeTrace&) = delete;
  ScopeTrace& operator=(const ScopeTrace&) = delete;

 private:
  const char* Name() const {
    return staticName_ != nullptr ? staticName_ : longName_.empty() ? shortName_ : longName_.c_str();
  }

  // Hot paths (the NMEA parser, vendor callbacks) trace every call: a name of up to 63 characters is
  // copied here rather than onto the heap.
  static constexpr std::size_t kShortName = 64;

  IHostTraceLog* traceLog_;
  int32_t category_;
  int32_t level_;
  const char* staticName_ = nullptr;
  char shortName_[kShortName];
  std::string longName_;
};
