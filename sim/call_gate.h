// What every entry point passes first: the call is counted, then held for its delay, then answered
// with an injected fault if one is due. The gate has its own lock, never held while a caller waits
// out a delay, so a held call blocks nothing but itself.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "sim/scenario.h"

namespace vesksim {

class CallGate {
 public:
  static constexpr uint32_t kBlock = UINT32_MAX;
  static constexpr uint32_t kAlways = UINT32_MAX;

  // Counts the call, waits out its delay, and returns the fault result when one is due.
  std::optional<uint32_t> Enter(const char* entryPoint);

  // The next times calls fail with result; 0 times clears, kAlways never runs out.
  void Fail(const std::string& entryPoint, uint32_t result, uint32_t times);
  // Every call takes ms longer; 0 clears, kBlock holds callers until Release.
  void Delay(const std::string& entryPoint, uint32_t ms);
  // Ends a blocking delay: held callers go on, later calls are not held.
  void Release(const std::string& entryPoint);

  uint32_t CallCount(const std::string& entryPoint) const;
  // Waits (real time) until the entry point has been called count times; false on time-out.
  bool WaitForCallCount(const std::string& entryPoint, uint32_t count, uint32_t timeoutMs) const;

  // Counters, faults and delays cleared, held callers released; then the scenario's faults and delays.
  void Reset(const std::map<std::string, Fault>& faults, const std::map<std::string, uint32_t>& delays);

 private:
  mutable std::mutex gateLock_;
  mutable std::condition_variable changed_;
  std::map<std::string, uint32_t, std::less<>> counts_;
  std::map<std::string, Fault, std::less<>> faults_;
  std::map<std::string, uint32_t, std::less<>> delays_;
  // Bumped by each release (per entry point) and each reset, so that a held caller notices its
  // release even when a new blocking delay was set before it woke.
  std::map<std::string, uint64_t, std::less<>> releases_;
  uint64_t resets_ = 0;
};

}  // namespace vesksim
