// The order in which a host may see the module's notifications, checked one delivery at a time.
//
// Each Open begins with SDK_INITIALIZING and each Close ends with SDK_CLOSED, behind a detach; nothing
// arrives outside that bracket (a refused detach aside, which lets the modem be announced again). What only an attached modem can tell (device information, readiness,
// a connection, its phone number) never arrives while detached, and the derived readiness
// notifications come at most once per attach.
#pragma once

#include <cstdint>
#include <string>

namespace soak {

class NotificationOrder {
 public:
  // The rule that this delivery breaks, or an empty text when it is legal.
  std::string Deliver(int32_t code);
  // A detach that the library refused posts no DETACHED_FROM_DEVICE, yet the module lets go of the
  // modem: the next attach announces it again.
  void DetachFailed() { ++failedDetaches_; }

  bool open() const { return phase_ == Phase::kOpen; }
  bool closed() const { return phase_ == Phase::kClosed; }

 private:
  enum class Phase { kBeforeOpen, kOpen, kClosed };

  Phase phase_ = Phase::kBeforeOpen;
  bool attached_ = false;
  bool initComplete_ = false;
  bool readyToConnect_ = false;
  int failedDetaches_ = 0;
};

}  // namespace soak
