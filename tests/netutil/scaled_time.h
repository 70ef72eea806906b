// Shared set-up of the netutil tests: a shortened clock and one generous time-out.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/event.h"

namespace netutil_test {

// Ten real seconds at the tests' time scale, where 5000 ms of module time pass in 250 ms.
inline constexpr uint32_t kTimeoutMs = 200000;

template <class Base = testing::Test>
class Scaled : public Base {
 protected:
  void SetUp() override { platform::SetTimeScale(0.05); }
};

// Shared, so that a thread signalling it keeps it alive while the test tears down.
using EventPtr = std::shared_ptr<platform::Event>;
inline EventPtr NewEvent() {
  return std::make_shared<platform::Event>(platform::Event::ResetPolicy::kManual);
}

// For conditions that no event announces (a thread's end): true once condition holds.
template <class F>
bool Eventually(F condition) {
  for (uint32_t end = platform::TickCount() + kTimeoutMs; !condition(); platform::Sleep(20)) {
    if (platform::TickCount() > end) {
      return false;
    }
  }
  return true;
}

}  // namespace netutil_test
