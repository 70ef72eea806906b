#include "trace/scope_trace.h"

#include "trace/trace.h"
#include "vesk/host_interfaces.h"

ScopeTrace::ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name)
    : ScopeTrace(traceLog, category, name, kTraceLevelVerbose) {}

ScopeTrace::ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name, int32_t level)
    : traceLog_(traceLog), category_(category), level_(level), name_(name != nullptr ? name : "NULL") {
  if (traceLog_ != nullptr) {
    traceLog_->TraceA(category_, level_, "==> %s", name_.c_str());
  }
}

ScopeTrace::~ScopeTrace() {
  if (traceLog_ != nullptr) {
    traceLog_->TraceA(category_, level_, "<== %s", name_.c_str());
  }
}
