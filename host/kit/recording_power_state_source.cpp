#include "host/kit/recording_power_state_source.h"

#include <algorithm>

namespace hostkit {

bool RecordingPowerStateSource::RegisterObserver(IPowerStateObserver* observer) {
  std::lock_guard<std::mutex> lock(lock_);
  const bool accepted = !refuseRegister_ && observer != nullptr;
  if (accepted && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
    observers_.push_back(observer);
  }
  registrations_.push_back({Call::kRegister, observer, accepted});
  return accepted;
}

bool RecordingPowerStateSource::UnregisterObserver(IPowerStateObserver* observer) {
  std::lock_guard<std::mutex> lock(lock_);
  const auto found = std::find(observers_.begin(), observers_.end(), observer);
  const bool accepted = !refuseUnregister_ && found != observers_.end();
  if (accepted) {
    observers_.erase(found);
  }
  registrations_.push_back({Call::kUnregister, observer, accepted});
  return accepted;
}

void RecordingPowerStateSource::RefuseRegister(bool refuse) {
  std::lock_guard<std::mutex> lock(lock_);
  refuseRegister_ = refuse;
}

void RecordingPowerStateSource::RefuseUnregister(bool refuse) {
  std::lock_guard<std::mutex> lock(lock_);
  refuseUnregister_ = refuse;
}

std::vector<IPowerStateObserver*> RecordingPowerStateSource::ObserversSnapshot() const {
  std::lock_guard<std::mutex> lock(lock_);
  return observers_;
}

std::size_t RecordingPowerStateSource::RaiseSleep() {
  const std::vector<IPowerStateObserver*> observers = ObserversSnapshot();
  for (IPowerStateObserver* observer : observers) {
    observer->EnterPCSleepMode();
  }
  return observers.size();
}

std::size_t RecordingPowerStateSource::RaiseResume() {
  const std::vector<IPowerStateObserver*> observers = ObserversSnapshot();
  for (IPowerStateObserver* observer : observers) {
    observer->ExitPCSleepMode();
  }
  return observers.size();
}

std::vector<RecordingPowerStateSource::Registration> RecordingPowerStateSource::Registrations() const {
  std::lock_guard<std::mutex> lock(lock_);
  return registrations_;
}

std::vector<IPowerStateObserver*> RecordingPowerStateSource::Observers() const {
  std::lock_guard<std::mutex> lock(lock_);
  return observers_;
}

}  // namespace hostkit
