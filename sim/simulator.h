// The simulated library's whole state: the modems of the loaded scenario, the connection, the
// registered callbacks, the call gate and the event thread. One instance per library file.
//
// Threads: entry points run on the callers' threads and hold the state lock only while they read or
// change the model. Callbacks run only on the event thread and never under the state lock, so a
// callback may call back into the library. Once QCWWANDisconnect (or a scenario load) returns, no
// callback runs any more: it clears the callbacks and waits for one still running, unless it is
// called from that callback itself.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "facade/vendor_api.h"
#include "sim/call_gate.h"
#include "sim/event_thread.h"
#include "sim/image_store.h"
#include "sim/recording/call_codec.h"
#include "sim/replay.h"
#include "sim/scenario.h"
#include "sim/scenario_parser.h"

namespace vesksim {

// 2000 for libQCWWAN2k.so, 1000 for libQCWWAN.so (set by the build).
uint32_t LibraryGeneration();

// The simulator's own trace lines go to the sink a host set (VeskSimSetTraceSink), if any.
void SetTraceSink(void (*sink)(uint32_t level, const char* text));
void Trace(uint32_t level, const std::string& text);

// Answers of the simulated library beyond the ones the module tests.
inline constexpr ULONG kResultIncorrectPin = 1012;
inline constexpr ULONG kResultPinBlocked = 1013;
inline constexpr ULONG kSmsFormatPdu = 6;

struct Callbacks {
  SessionStateCallbackFn sessionState = nullptr;
  ByteTotalsCallbackFn byteTotals = nullptr;
  uint32_t byteTotalsIntervalS = 5;
  DataCapabilitiesCallbackFn dataCapabilities = nullptr;
  ActivationStatusCallbackFn activationStatus = nullptr;
  RoamingIndicatorCallbackFn roamingIndicator = nullptr;
  NewSMSCallbackFn newSms = nullptr;
  SignalStrengthCallbackFn signalStrength = nullptr;
  std::vector<int8_t> thresholds;
  size_t reportedBand = 0;  // how many thresholds the last reported strength reached
  uint32_t reportedInterface = 0;
  PowerCallbackFn power = nullptr;
  DeviceRemovalCallbackFn deviceRemoval = nullptr;
  NMEACallbackFn nmea = nullptr;
  PDSStateCallbackFn pdsState = nullptr;
};

class Simulator {
 public:
  // A call into the module, made on the event thread without the state lock.
  using Invocation = EventThread::Invocation;
  // A change of the model, made on the event thread under the state lock; may return an invocation.
  using Action = EventThread::Action;

  static Simulator& Get();

  Simulator();
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // The frame of an entry point that needs a connected modem: the call gate, then body(modem) under
  // the state lock. NO_CONNECTION_TO_WWAN_DEVICE without a connection, and once the modem is gone
  // (goneResult then, for the calls that tell the two apart).
  template <typename Body>
  ULONG Connected(const char* entryPoint, Body&& body, ULONG goneResult = NO_CONNECTION_TO_WWAN_DEVICE) {
    if (const auto fault = gate_.Enter(entryPoint)) {
      return *fault;
    }
    std::lock_guard<std::mutex> lock(stateLock_);
    if (connected_ < 0) {
      return NO_CONNECTION_TO_WWAN_DEVICE;
    }
    if (connectionLost_) {
      return goneResult;
    }
    return body(modems_[static_cast<size_t>(connected_)]);
  }

  // Connection entry points (the call gate included).
  ULONG EnumerateDevices(BYTE* pDevicesSize, BYTE* pDevices);
  ULONG Connect(const char* entryPoint, const char* deviceId, const char* deviceKey);
  ULONG Disconnect();

  // For entry-point bodies, with the state lock held.
  Callbacks& callbacks() { return callbacks_; }
  const Timing& timing() const { return timing_; }
  ImageStore& imageStore() { return imageStore_; }
  size_t connectedIndex() const { return static_cast<size_t>(connected_); }
  // Runs action on the event thread ms of modem time from now.
  void Schedule(uint32_t ms, Action action);

  // Modem behaviour (state lock held; index names the modem).
  void StartSession(size_t index);
  void StopSession(size_t index, uint32_t reason);
  void Restart(size_t index, uint32_t powerMode, std::optional<FirmwareInfo> newFirmware);
  void StartActivation(size_t index);
  void ReportPower(size_t index);
  void ReportPdsState(size_t index);
  void EnsureNmeaFeed();
  // The modem's own connection attempt, when autoconnect is on and nothing is connected.
  void AutoConnect(size_t index);
  void ScheduleFactoryReset(size_t index) { factoryResetPending_[index] = true; }

  // A replay is in force: every entry point is answered by ReplayCall instead of the model.
  bool Replaying() const { return replaying_.load(std::memory_order_acquire); }
  ULONG ReplayCall(const char* entryPoint, const veskrec::Arg* args, size_t count);
  // The replay's divergences so far, and the last one's report.
  uint32_t ReplayDivergences(std::string* last);

  // Control interface.
  int LoadScenario(const char* text);
  void Reset();
  // Acts out an event now (on the event thread). A replay leaves every line unplayed: the recording's
  // callbacks are the only ones.
  enum class EventOutcome { kPlayed, kUnparsed, kLeftToTheReplay };
  EventOutcome PlayEvent(const char* line);
  std::string LastError();
  CallGate& gate() { return gate_; }
  // The tag of a stored message of the event target (entry_sms.cpp); -1 when there is none.
  int SmsTag(uint32_t storage, uint32_t index);

 private:
  void Install(Scenario scenario, std::shared_ptr<Replay> replay = nullptr);
  // The event thread's runner: action, if still of this world, then its invocation without the lock.
  void RunScheduled(uint64_t world, Action& action);
  // Sets the module's callback of a recorded kind, as a registration does.
  void RegisterReplayed(std::string_view kind, void* callback);
  // The call of the module's current callback with a recorded callback's data, if it has one.
  Invocation ReplayedCallback(const veskrec::Event& callback);
  // Ends the connection and waits for a running callback (state lock held through lock).
  void DropConnection(std::unique_lock<std::mutex>& lock);
  void Apply(size_t index, const Event& event);
  bool Visible(const Modem& modem) const;
  // The callbacks to call for an event of modem index; null unless it is connected and reachable.
  const Callbacks* ReachableCallbacks(size_t index) const;
  void Remove(size_t index);
  void Return(size_t index);
  void ScheduleByteTotals(size_t index, uint64_t session);
  // With autoconnect on, the modem starts again reconnectMs after losing session epoch `session`,
  // unless a start or stop came meanwhile.
  void ScheduleReconnect(size_t index, uint64_t session);
  void ReportSession(size_t index, uint32_t state, uint32_t reason);
  // Schedules a report to modem index's callbacks; make(callbacks) returns the call to make, if any.
  template <typename Make>
  void Notify(size_t index, Make make);
  // The modem events are acted out on: the connected one, else the first of this library.
  std::optional<size_t> EventTarget() const;

  CallGate gate_;
  std::mutex stateLock_;
  std::condition_variable callbackDone_;
  // Sequentially consistent, both: the event thread ends a callback without the state lock.
  std::atomic<bool> callbackRunning_{false};
  std::atomic<int> callbackWaiters_{0};

  Scenario initial_;  // as loaded, for factory resets
  std::vector<Modem> modems_;
  std::vector<bool> factoryResetPending_;
  std::vector<uint64_t> sessionEpoch_;  // bumped by each start or stop, ending older tickers
  Timing timing_;
  int connected_ = -1;
  uint64_t connectionEpoch_ = 0;  // bumped by each connect and disconnect
  bool connectionLost_ = false;
  Callbacks callbacks_;
  uint64_t worldEpoch_ = 0;  // bumped by each load, dropping the old world's pending actions
  bool nmeaFeedRunning_ = false;
  uint64_t nmeaTick_ = 0;
  std::string lastError_;
  uint8_t smsReference_ = 1;  // of the next long message an event line writes as text
  ImageStore imageStore_;
  std::shared_ptr<Replay> replay_;  // shared with the calls it is answering
  std::atomic<bool> replaying_{false};
  std::optional<SteadyClock::time_point> replayStart_;  // of the replay's first call

  // Last, so that it stops before the state it acts on goes.
  EventThread events_;
};

}  // namespace vesksim
