// A host trace log that formats every line, as a host does, and keeps none of them, so that a fuzz
// run's memory stays flat while the formatter still sees every trace call.
#pragma once

#include "vesk/host_interfaces.h"

class DiscardingTraceLog : public IHostTraceLog {
 public:
  void TraceA(int32_t category, int32_t level, const char* format, ...) override;
  void TraceW(int32_t category, int32_t level, const char16_t* format, ...) override;
};
