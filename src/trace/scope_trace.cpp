#include "trace/scope_trace.h"

#include <cstring>

#include "trace/trace.h"
#include "vesk/host_interfaces.h"

ScopeTrace::ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name)
    : ScopeTrace(traceLog, category, name, kTraceLevelVerbose) {}

ScopeTrace::ScopeTrace(IHostTraceLog* traceLog, int32_t category, const char* name, int32_t level)
    : traceLog_(traceLog), category_(category), level_(level) {
  shortName_[0] = '\0';
  if (traceLog_ == nullptr) {
    return;  // nothing is ever written: no copy
  }
  const char* text = name != nullptr ? name : "NULL";
  const std::size_t length = std::strlen(text);
  if (length < kShortName) {
    std::memcpy(shortName_, text, length + 1);
  } else {
    longName_.assign(text, length);
  }
  traceLog_->TraceA(category_, level_, "==> %s", Name());
}

ScopeTrace::ScopeTrace(IHostTraceLog* traceLog, int32_t category, StaticName name)
    : traceLog_(traceLog), category_(category), level_(kTraceLevelVerbose) {
  shortName_[0] = '\0';
  if (traceLog_ == nullptr) {
    return;
  }
  staticName_ = name.text != nullptr ? name.text : "NULL";
  traceLog_->TraceA(category_, level_, "==> %s", staticName_);
}

ScopeTrace::~ScopeTrace() {
  if (traceLog_ != nullptr) {
    // A host log that throws (out of memory, say) must not end the process from a destructor.
    try {
      traceLog_->TraceA(category_, level_, "<== %s", Name());
    } catch (...) {
    }
  }
}
