#include "sim/simulator.h"

#include <cstring>

#include "platform/process.h"
#include "sim/event_line.h"

namespace vesksim {

Simulator& Simulator::Get() {
  // Destroyed when the library is unloaded, but not at process exit on Windows: the system has ended
  // the simulator's threads by then, and tearing down what they waited on would never return.
  static Simulator* const simulator = new Simulator;
  static const struct Reaper {
    ~Reaper() {
      if (!platform::ProcessIsEnding()) {
        delete simulator;
      }
    }
  } reaper;
  return *simulator;
}

Simulator::Simulator() : events_([this](uint64_t world, Action& action) { RunScheduled(world, action); }) {
  Install(Scenario{});
}

Simulator::~Simulator() = default;

bool Simulator::Visible(const Modem& modem) const {
  return modem.generation == LibraryGeneration();
}

const Callbacks* Simulator::ReachableCallbacks(size_t index) const {
  return connected_ == static_cast<int>(index) && !connectionLost_ ? &callbacks_ : nullptr;
}

std::optional<size_t> Simulator::EventTarget() const {
  if (connected_ >= 0) {
    return static_cast<size_t>(connected_);
  }
  for (size_t i = 0; i < modems_.size(); ++i) {
    if (Visible(modems_[i])) {
      return i;
    }
  }
  return std::nullopt;
}

void Simulator::Schedule(uint32_t ms, Action action) {
  events_.Post(DueIn(ms), worldEpoch_, std::move(action));
}

void Simulator::RunScheduled(uint64_t world, Action& action) {
  std::unique_lock<std::mutex> lock(stateLock_);
  if (world != worldEpoch_) {
    return;
  }
  const Invocation call = action(*this);
  if (!call) {
    return;
  }
  // Disconnect waits on this flag, so a callback never outlives the connection's end.
  callbackRunning_ = true;
  lock.unlock();
  call();
  // Without the state lock unless someone waits: a waiter counts itself before it reads the flag,
  // and holds the lock until it waits, so one of the two sees the other.
  callbackRunning_ = false;
  if (callbackWaiters_ > 0) {
    { std::lock_guard<std::mutex> waiterIsWaiting(stateLock_); }
    callbackDone_.notify_all();
  }
}

void Simulator::DropConnection(std::unique_lock<std::mutex>& lock) {
  connected_ = -1;
  connectionLost_ = false;
  ++connectionEpoch_;
  callbacks_ = Callbacks{};
  // A callback that disconnects would wait for itself.
  if (!events_.IsCurrentThread()) {
    ++callbackWaiters_;
    callbackDone_.wait(lock, [this] { return !callbackRunning_; });
    --callbackWaiters_;
  }
}

ULONG Simulator::EnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices) {
  if (const auto fault = gate_.Enter("QCWWAN2kEnumerateDevices")) {
    return *fault;
  }
  if (pDevicesSize == nullptr || (pDevices == nullptr && *pDevicesSize > 0)) {
    return INVALID_ARGUMENT;
  }
  std::lock_guard<std::mutex> lock(stateLock_);
  BYTE written = 0;
  for (const Modem& modem : modems_) {
    if (!Visible(modem) || !modem.present || written >= *pDevicesSize) {
      continue;
    }
    VendorDeviceRecord record{};
    std::strncpy(record.deviceID, modem.deviceId.c_str(), sizeof record.deviceID - 1);
    std::strncpy(record.deviceKey, modem.deviceKey.c_str(), sizeof record.deviceKey - 1);
    std::memcpy(pDevices + written * sizeof record, &record, sizeof record);
    ++written;
  }
  *pDevicesSize = written;
  return 0;
}

ULONG Simulator::Connect(const char* entryPoint, const char* deviceId, const char* deviceKey) {
  if (const auto fault = gate_.Enter(entryPoint)) {
    return *fault;
  }
  const bool byId = deviceId != nullptr || deviceKey != nullptr;
  if (byId && (deviceId == nullptr || deviceKey == nullptr)) {
    return INVALID_ARGUMENT;
  }
  std::unique_lock<std::mutex> lock(stateLock_);
  std::optional<size_t> found;
  for (size_t i = 0; i < modems_.size() && !found; ++i) {
    const Modem& modem = modems_[i];
    if (Visible(modem) && modem.present &&
        (!byId || (modem.deviceId == deviceId && modem.deviceKey == deviceKey))) {
      found = i;
    }
  }
  if (!found) {
    return NO_WWAN_DEVICE;
  }
  if (connected_ >= 0 && !connectionLost_) {
    return connected_ == static_cast<int>(*found) ? 0 : GENERAL_ERROR;
  }
  if (connected_ >= 0) {
    DropConnection(lock);  // the old modem went away; a new connect replaces that connection
  }
  connected_ = static_cast<int>(*found);
  ++connectionEpoch_;
  imageStore_.Populate(modems_[*found].images, modems_[*found].imageStore);
  return 0;
}

ULONG Simulator::Disconnect() {
  if (const auto fault = gate_.Enter("QCWWANDisconnect")) {
    return *fault;
  }
  std::unique_lock<std::mutex> lock(stateLock_);
  if (connected_ < 0) {
    return NO_CONNECTION_TO_WWAN_DEVICE;
  }
  const bool lost = connectionLost_;
  const auto index = static_cast<size_t>(connected_);
  DropConnection(lock);
  if (factoryResetPending_[index]) {
    // A factory reset completes once the client has let go of the modem.
    factoryResetPending_[index] = false;
    Modem fresh = initial_.modems[index];
    fresh.present = modems_[index].present;
    modems_[index] = fresh;
    Restart(index, 4, std::nullopt);
  }
  return lost ? NO_CONNECTION_TO_WWAN_DEVICE : 0;
}

void Simulator::Install(Scenario scenario) {
  {
    std::unique_lock<std::mutex> lock(stateLock_);
    DropConnection(lock);
    events_.Clear();
    ++worldEpoch_;
    modems_ = scenario.modems;
    timing_ = scenario.timing;
    factoryResetPending_.assign(modems_.size(), false);
    sessionEpoch_.assign(modems_.size(), 0);
    nmeaFeedRunning_ = false;
    nmeaTick_ = 0;
    lastError_.clear();
    smsReference_ = scenario.nextSmsReference;
    if (const auto target = EventTarget()) {
      imageStore_.Populate(modems_[*target].images, modems_[*target].imageStore);
    }
    for (size_t i = 0; i < modems_.size(); ++i) {
      AutoConnect(i);
      if (modems_[i].sessionState == kSessionConnected) {
        ScheduleByteTotals(i, sessionEpoch_[i]);
      }
    }
    for (const TimedEvent& timed : scenario.timeline) {
      Schedule(timed.atMs, [event = timed.event](Simulator& s) -> Invocation {
        if (const auto target = s.EventTarget()) {
          s.Apply(*target, event);
        }
        return {};
      });
    }
  }
  // Held callers are let go only now, so they find the old connection already ended.
  gate_.Reset(scenario.faults, scenario.delays);
  std::lock_guard<std::mutex> lock(stateLock_);
  initial_ = std::move(scenario);
}

int Simulator::LoadScenario(const char* text) {
  Scenario scenario;
  const ParseError error =
      text == nullptr ? ParseError{1, "no scenario text"} : ParseScenario(text, scenario);
  if (error.line != 0) {
    std::lock_guard<std::mutex> lock(stateLock_);
    lastError_ = "line " + std::to_string(error.line) + ": " + error.message;
    return error.line;
  }
  Install(std::move(scenario));
  return 0;
}

void Simulator::Reset() {
  Install(Scenario{});
}

std::string Simulator::LastError() {
  std::lock_guard<std::mutex> lock(stateLock_);
  return lastError_;
}

bool Simulator::PlayEvent(const char* line) {
  std::string error;
  std::lock_guard<std::mutex> lock(stateLock_);
  const auto event = line == nullptr ? std::nullopt : ParseEventLine(line, &smsReference_, &error);
  if (!event) {
    lastError_ = line == nullptr ? "no event line" : error;
    return false;
  }
  if (const auto target = EventTarget()) {
    Apply(*target, *event);
  }
  return true;
}

}  // namespace vesksim
