#include "sim/call_gate.h"

#include <chrono>
#include <thread>

#include "sim/sim_clock.h"

namespace vesksim {

std::optional<uint32_t> CallGate::Enter(const char* entryPoint) {
  std::unique_lock<std::mutex> lock(gateLock_);
  ++counts_[entryPoint];
  changed_.notify_all();

  const auto delay = delays_.find(entryPoint);
  if (delay != delays_.end() && delay->second == kBlock) {
    const std::string name(entryPoint);
    const uint64_t seenRelease = releases_[name];
    const uint64_t seenReset = resets_;
    changed_.wait(lock, [&] {
      const auto it = delays_.find(name);
      return releases_[name] != seenRelease || resets_ != seenReset || it == delays_.end() ||
             it->second != kBlock;
    });
  } else if (delay != delays_.end() && delay->second > 0) {
    const auto wait = Scaled(delay->second);
    lock.unlock();
    std::this_thread::sleep_for(wait);
    lock.lock();
  }

  const auto fault = faults_.find(entryPoint);
  if (fault == faults_.end() || fault->second.times == 0) {
    return std::nullopt;
  }
  const uint32_t result = fault->second.result;
  if (fault->second.times != kAlways) {
    --fault->second.times;
  }
  return result;
}

void CallGate::Fail(const std::string& entryPoint, uint32_t result, uint32_t times) {
  std::lock_guard<std::mutex> lock(gateLock_);
  if (times == 0) {
    faults_.erase(entryPoint);
  } else {
    faults_[entryPoint] = {result, times};
  }
}

void CallGate::Delay(const std::string& entryPoint, uint32_t ms) {
  {
    std::lock_guard<std::mutex> lock(gateLock_);
    if (ms == 0) {
      delays_.erase(entryPoint);
    } else {
      delays_[entryPoint] = ms;
    }
  }
  changed_.notify_all();
}

void CallGate::Release(const std::string& entryPoint) {
  {
    std::lock_guard<std::mutex> lock(gateLock_);
    const auto it = delays_.find(entryPoint);
    if (it != delays_.end() && it->second == kBlock) {
      delays_.erase(it);
    }
    ++releases_[entryPoint];
  }
  changed_.notify_all();
}

uint32_t CallGate::CallCount(const std::string& entryPoint) const {
  std::lock_guard<std::mutex> lock(gateLock_);
  const auto it = counts_.find(entryPoint);
  return it == counts_.end() ? 0 : it->second;
}

bool CallGate::WaitForCallCount(const std::string& entryPoint, uint32_t count, uint32_t timeoutMs) const {
  std::unique_lock<std::mutex> lock(gateLock_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
    const auto it = counts_.find(entryPoint);
    return (it == counts_.end() ? 0 : it->second) >= count;
  });
}

void CallGate::Reset(const std::map<std::string, Fault>& faults,
                     const std::map<std::string, uint32_t>& delays) {
  {
    std::lock_guard<std::mutex> lock(gateLock_);
    counts_.clear();
    faults_ = {faults.begin(), faults.end()};
    delays_ = {delays.begin(), delays.end()};
    ++resets_;
  }
  changed_.notify_all();
}

}  // namespace vesksim
