// A power-state source that records every registration call, can be told to refuse them, and raises
// PC sleep and resume events to the observers registered with it.
//
// Events are raised on the caller's thread, without the source's lock held, so an observer may
// unregister itself from its handler.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "vesk/host_interfaces.h"

namespace hostkit {

class RecordingPowerStateSource : public IPowerStateSource {
 public:
  enum class Call { kRegister, kUnregister };
  struct Registration {
    Call call;
    IPowerStateObserver* observer;
    bool accepted;
  };

  RecordingPowerStateSource() = default;
  virtual ~RecordingPowerStateSource() = default;
  RecordingPowerStateSource(const RecordingPowerStateSource&) = delete;
  RecordingPowerStateSource& operator=(const RecordingPowerStateSource&) = delete;

  bool RegisterObserver(IPowerStateObserver* observer) override;
  bool UnregisterObserver(IPowerStateObserver* observer) override;

  // From now on, refuse (return false and change nothing) or accept the calls.
  void RefuseRegister(bool refuse);
  void RefuseUnregister(bool refuse);

  // Each returns the number of observers the event reached.
  std::size_t RaiseSleep();
  std::size_t RaiseResume();

  std::vector<Registration> Registrations() const;
  std::vector<IPowerStateObserver*> Observers() const;

 private:
  std::vector<IPowerStateObserver*> ObserversSnapshot() const;

  mutable std::mutex lock_;
  bool refuseRegister_ = false;
  bool refuseUnregister_ = false;
  std::vector<IPowerStateObserver*> observers_;
  std::vector<Registration> registrations_;
};

}  // namespace hostkit
