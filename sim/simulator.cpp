#include "sim/simulator.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "platform/process.h"
#include "sim/event_line.h"
#include "sim/sim_clock.h"
#include "sim/text_out.h"

namespace vesksim {

namespace {

std::atomic<void (*)(uint32_t, const char*)> traceSink{nullptr};

}  // namespace

void SetTraceSink(void (*sink)(uint32_t level, const char* text)) {
  traceSink.store(sink);
}

void Trace(uint32_t level, const std::string& text) {
  if (const auto sink = traceSink.load()) {
    sink(level, text.c_str());
  }
}

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

void Simulator::Install(Scenario scenario, std::shared_ptr<Replay> replay) {
  {
    std::unique_lock<std::mutex> lock(stateLock_);
    DropConnection(lock);
    replay_ = std::move(replay);
    replaying_ = replay_ != nullptr;
    replayStart_.reset();
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
    if (replay_ != nullptr) {
      imageStore_.Populate(RecordedImages(replay_->recording()));
    } else if (const auto target = EventTarget()) {
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
  std::shared_ptr<Replay> replay;
  if (!scenario.replay.file.empty()) {
    veskrec::Recording recording;
    if (const auto failure = LoadRecording(scenario.replay, recording)) {
      std::lock_guard<std::mutex> lock(stateLock_);
      lastError_ = "line " + std::to_string(scenario.replay.fileLine) + ": " + *failure;
      return scenario.replay.fileLine;
    }
    if (recording.generation == LibraryGeneration()) {
      replay = std::make_shared<Replay>(std::move(recording), scenario.replay);
    } else {
      scenario.modems.clear();  // the recorded modem is of the other library file
    }
  }
  Install(std::move(scenario), std::move(replay));
  return 0;
}

void Simulator::Reset() {
  Install(Scenario{});
}

std::string Simulator::LastError() {
  std::lock_guard<std::mutex> lock(stateLock_);
  return lastError_;
}

Simulator::EventOutcome Simulator::PlayEvent(const char* line) {
  if (Replaying()) {
    return EventOutcome::kLeftToTheReplay;
  }
  std::string error;
  std::lock_guard<std::mutex> lock(stateLock_);
  const auto event = line == nullptr ? std::nullopt : ParseEventLine(line, &smsReference_, &error);
  if (!event) {
    lastError_ = line == nullptr ? "no event line" : error;
    return EventOutcome::kUnparsed;
  }
  if (const auto target = EventTarget()) {
    Apply(*target, *event);
  }
  return EventOutcome::kPlayed;
}

ULONG Simulator::ReplayCall(const char* entryPoint, const veskrec::Arg* args, size_t count) {
  (void)gate_.Enter(entryPoint);  // counted and delayed like any call; its faults are the recording's
  std::unique_lock<std::mutex> lock(stateLock_);
  const std::shared_ptr<Replay> replay = replay_;
  if (replay == nullptr) {
    return GENERAL_ERROR;  // a scenario load ended the replay meanwhile
  }
  const double scale = replay->settings().scale * TimeScale();
  const auto now = SteadyClock::now();
  if (!replayStart_) {
    replayStart_ = now;  // the recording's time 0 is its first call
  }
  const auto elapsedUs =
      static_cast<int64_t>(std::chrono::duration<double, std::micro>(now - *replayStart_).count() / scale);
  std::string divergence;
  const auto answer = replay->Match(entryPoint, args, count, elapsedUs, &divergence);
  if (!answer) {
    if (replay->stopped()) {
      events_.Clear();
    }
    lock.unlock();
    if (!divergence.empty()) {
      Trace(2, divergence);
    }
    return replay->settings().divergenceResult;
  }
  const veskrec::Event& call = replay->recording().events[answer->event];
  // A call takes as long as it took when recorded (time-outs replay as time-outs).
  lock.unlock();
  std::this_thread::sleep_for(std::chrono::microseconds(static_cast<int64_t>(call.durationUs * scale)));
  lock.lock();
  if (replay != replay_) {
    return GENERAL_ERROR;
  }
  veskrec::ApplyOutputs(entryPoint, args, count, call.values);
  // The recorded store is on another machine, or gone: the folders it held are rebuilt in our own.
  if (std::string_view(entryPoint) == "GetImageStoreW" && call.result == 0 && count == 2 && args[1].pointer != nullptr) {
    CopyText(ToUtf16(imageStore_.Path().string()), static_cast<size_t>(args[0].value),
             static_cast<char16_t*>(args[1].pointer));
  }
  if (const auto kind = veskrec::CallbackOfRegistration(entryPoint); !kind.empty() && call.result == 0) {
    for (size_t i = 0; i < count; ++i) {
      if (args[i].type == veskrec::ArgType::kFunction) {
        RegisterReplayed(kind, args[i].pointer);
      }
    }
  }
  if (std::string_view(entryPoint) == "QCWWANDisconnect") {
    DropConnection(lock);  // no callback runs once a disconnect returned
  }
  if (answer->repeat) {
    return call.result;  // its callbacks came with the recorded call
  }
  const auto answered = SteadyClock::now();
  for (const size_t i : replay->CallbacksAfter(answer->event)) {
    const veskrec::Event& callback = replay->recording().events[i];
    const auto due = answered + std::chrono::duration_cast<SteadyClock::duration>(std::chrono::duration<double, std::micro>(
                               static_cast<double>(callback.timeUs - call.timeUs) * scale));
    events_.Post(due, worldEpoch_, [replay, i](Simulator& s) -> Invocation {
      return s.ReplayedCallback(replay->recording().events[i]);
    });
  }
  return call.result;
}

uint32_t Simulator::ReplayDivergences(std::string* last) {
  std::lock_guard<std::mutex> lock(stateLock_);
  if (replay_ == nullptr) {
    last->clear();
    return 0;
  }
  *last = replay_->lastDivergence();
  return replay_->divergences();
}

void Simulator::RegisterReplayed(std::string_view kind, void* callback) {
  Callbacks& c = callbacks_;
  if (kind == "SessionState") {
    c.sessionState = reinterpret_cast<SessionStateCallbackFn>(callback);
  } else if (kind == "ByteTotals") {
    c.byteTotals = reinterpret_cast<ByteTotalsCallbackFn>(callback);
  } else if (kind == "DataCapabilities") {
    c.dataCapabilities = reinterpret_cast<DataCapabilitiesCallbackFn>(callback);
  } else if (kind == "ActivationStatus") {
    c.activationStatus = reinterpret_cast<ActivationStatusCallbackFn>(callback);
  } else if (kind == "RoamingIndicator") {
    c.roamingIndicator = reinterpret_cast<RoamingIndicatorCallbackFn>(callback);
  } else if (kind == "NewSMS") {
    c.newSms = reinterpret_cast<NewSMSCallbackFn>(callback);
  } else if (kind == "SignalStrength") {
    c.signalStrength = reinterpret_cast<SignalStrengthCallbackFn>(callback);
  } else if (kind == "Power") {
    c.power = reinterpret_cast<PowerCallbackFn>(callback);
  } else if (kind == "DeviceRemoval") {
    c.deviceRemoval = reinterpret_cast<DeviceRemovalCallbackFn>(callback);
  } else if (kind == "NMEA") {
    c.nmea = reinterpret_cast<NMEACallbackFn>(callback);
  } else if (kind == "PDSState") {
    c.pdsState = reinterpret_cast<PDSStateCallbackFn>(callback);
  }
}

Simulator::Invocation Simulator::ReplayedCallback(const veskrec::Event& callback) {
  const Callbacks& c = callbacks_;
  const std::string& kind = callback.name;
  const auto& v = callback.values;
  auto n = [&v](size_t i) { return v[i].number; };
  if (kind == "SessionState" && c.sessionState != nullptr) {
    return [fn = c.sessionState, a = n(0), b = n(1)] { fn(static_cast<ULONG>(a), static_cast<ULONG>(b)); };
  }
  if (kind == "ByteTotals" && c.byteTotals != nullptr) {
    return [fn = c.byteTotals, a = n(0), b = n(1)] { fn(static_cast<ULONGLONG>(a), static_cast<ULONGLONG>(b)); };
  }
  if (kind == "DataCapabilities" && c.dataCapabilities != nullptr) {
    std::vector<ULONG> caps(v[1].numbers.begin(), v[1].numbers.end());
    const auto size = static_cast<BYTE>(std::min<size_t>(caps.size(), static_cast<size_t>(n(0))));
    const bool none = v[1].kind == veskrec::Value::Kind::kNull;
    return [fn = c.dataCapabilities, size, caps = std::move(caps), none]() mutable {
      fn(none ? 0 : size, none ? nullptr : caps.data());
    };
  }
  if (kind == "ActivationStatus" && c.activationStatus != nullptr) {
    return [fn = c.activationStatus, a = n(0)] { fn(static_cast<ULONG>(a)); };
  }
  if (kind == "RoamingIndicator" && c.roamingIndicator != nullptr) {
    return [fn = c.roamingIndicator, a = n(0)] { fn(static_cast<ULONG>(a)); };
  }
  if (kind == "NewSMS" && c.newSms != nullptr) {
    return [fn = c.newSms, a = n(0), b = n(1)] { fn(static_cast<ULONG>(a), static_cast<ULONG>(b)); };
  }
  if (kind == "SignalStrength" && c.signalStrength != nullptr) {
    return [fn = c.signalStrength, a = n(0), b = n(1)] { fn(static_cast<INT8>(a), static_cast<ULONG>(b)); };
  }
  if (kind == "Power" && c.power != nullptr) {
    return [fn = c.power, a = n(0)] { fn(static_cast<ULONG>(a)); };
  }
  if (kind == "DeviceRemoval" && c.deviceRemoval != nullptr) {
    return [fn = c.deviceRemoval] { fn(); };
  }
  if (kind == "NMEA" && c.nmea != nullptr && v[0].kind != veskrec::Value::Kind::kNull) {
    return [fn = c.nmea, text = v[0].text] { fn(text.c_str()); };
  }
  if (kind == "PDSState" && c.pdsState != nullptr) {
    return [fn = c.pdsState, a = n(0), b = n(1)] { fn(static_cast<ULONG>(a), static_cast<ULONG>(b)); };
  }
  return {};
}

}  // namespace vesksim
