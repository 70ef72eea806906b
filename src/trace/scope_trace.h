// Entry/exit tracer: writes "==> name" when built and "<== name" when destroyed, both through TraceA at
// one level, so an operation leaves exactly one pair of lines whichever way it returns.
//
// Create it first thing in an operation, named "Class::Operation". The name is copied; a null name is
// written as NULL. A null trace-log pointer writes nothing.
#pragma once

#include <cstdint>
#include <string>

class IHostTraceLog;

class ScopeTrace {
 public:
  // Level 5 (verbose).
  ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name);
  ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name, int32_t level);
  ~ScopeTrace();

  ScopeTrace(const ScopeTrace&) = delete;
  ScopeTrace& operator=(const ScopeTrace&) = delete;

 private:
  IHostTraceLog* traceLog_;
  int32_t category_;
  int32_t level_;
  std::string name_;
};
