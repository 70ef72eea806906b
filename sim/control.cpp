#include "sim/control.h"

#include "sim/sim_clock.h"
#include "sim/simulator.h"
#include "sim/text_out.h"

using vesksim::Simulator;

extern "C" {

int VeskSimLoadScenario(const char* text) {
  return Simulator::Get().LoadScenario(text);
}

void VeskSimReset(void) {
  Simulator::Get().Reset();
}

void VeskSimSetTimeScale(double scale) {
  vesksim::SetTimeScale(scale);
}

void VeskSimFail(const char* entryPoint, uint32_t result, uint32_t times) {
  if (entryPoint != nullptr) {
    Simulator::Get().gate().Fail(entryPoint, result, times);
  }
}

void VeskSimDelay(const char* entryPoint, uint32_t ms) {
  if (entryPoint != nullptr) {
    Simulator::Get().gate().Delay(entryPoint, ms);
  }
}

void VeskSimRelease(const char* entryPoint) {
  if (entryPoint != nullptr) {
    Simulator::Get().gate().Release(entryPoint);
  }
}

uint32_t VeskSimCallCount(const char* entryPoint) {
  return entryPoint == nullptr ? 0 : Simulator::Get().gate().CallCount(entryPoint);
}

int VeskSimEvent(const char* line) {
  switch (Simulator::Get().PlayEvent(line)) {
    case Simulator::EventOutcome::kPlayed:
      return 0;
    case Simulator::EventOutcome::kUnparsed:
      return 1;
    case Simulator::EventOutcome::kLeftToTheReplay:
      return 2;
  }
  return 1;
}

int VeskSimWaitForCalls(const char* entryPoint, uint32_t count, uint32_t timeoutMs) {
  return entryPoint != nullptr && Simulator::Get().gate().WaitForCallCount(entryPoint, count, timeoutMs) ? 0
                                                                                                         : 1;
}

int VeskSimSmsTag(uint32_t storage, uint32_t index) {
  return Simulator::Get().SmsTag(storage, index);
}

void VeskSimSetTraceSink(VeskSimTraceSink sink) {
  vesksim::SetTraceSink(sink);
}

uint32_t VeskSimReplayDivergences(char* buffer, uint32_t size) {
  std::string last;
  const uint32_t count = Simulator::Get().ReplayDivergences(&last);
  vesksim::CopyText(last, size, buffer);
  return count;
}

void VeskSimLastError(char* buffer, uint32_t size) {
  vesksim::CopyText(Simulator::Get().LastError(), size, buffer);
}

}  // extern "C"
