#include "sim/recording/recorder.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "platform/process.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace veskrec {

namespace {

constexpr const char* RealLibraryName() {
  return VESK_RECORDER_GENERATION == 1000 ? "QCWWAN" : "QCWWAN2k";
}

constexpr const char* RealLibraryVariable() {
  return VESK_RECORDER_GENERATION == 1000 ? "VESK_REAL_QCWWAN" : "VESK_REAL_QCWWAN2K";
}

std::string ProcessIdText() {
#if defined(_WIN32)
  return std::to_string(static_cast<unsigned long>(_getpid()));
#else
  return std::to_string(static_cast<long>(getpid()));
#endif
}

std::string RecordingPath() {
  std::string path;
  if (const char* chosen = std::getenv("VESK_RECORD_FILE"); chosen != nullptr && *chosen != 0) {
    path = chosen;
  } else {
    std::error_code error;
    const auto temp = std::filesystem::temp_directory_path(error);
    path = (error ? std::filesystem::path(".") : temp).string() + "/vesk-recording-" +
           std::to_string(VESK_RECORDER_GENERATION) + "-%p.txt";
  }
  if (const size_t at = path.find("%p"); at != std::string::npos) {
    path.replace(at, 2, ProcessIdText());
  }
  return path;
}

// The module's callbacks, one slot per recorded kind, and the trampolines that stand in for them.
enum Slot { kSessionState, kByteTotals, kDataCapabilities, kActivationStatus, kRoamingIndicator, kNewSMS,
            kSignalStrength, kPower, kDeviceRemoval, kNMEA, kPDSState, kSlotCount };

constexpr std::string_view kSlotNames[kSlotCount] = {
    "SessionState", "ByteTotals", "DataCapabilities", "ActivationStatus", "RoamingIndicator", "NewSMS",
    "SignalStrength", "Power", "DeviceRemoval", "NMEA", "PDSState"};

std::atomic<void*> moduleCallbacks[kSlotCount];

template <typename Fn>
Fn ModuleCallback(Slot slot) {
  return reinterpret_cast<Fn>(moduleCallbacks[slot].load(std::memory_order_acquire));
}

Value N(int64_t n) {
  return Value::Number(n);
}

// Each records what it is given, then hands it to the module's callback unchanged.
void OnSessionState(ULONG state, ULONG reason) {
  if (const auto fn = ModuleCallback<SessionStateCallbackFn>(kSessionState)) {
    Recorder::Get().Callback("SessionState", {N(state), N(reason)});
    fn(state, reason);
  }
}
void OnByteTotals(ULONGLONG tx, ULONGLONG rx) {
  if (const auto fn = ModuleCallback<ByteTotalsCallbackFn>(kByteTotals)) {
    Recorder::Get().Callback("ByteTotals", {N(static_cast<int64_t>(tx)), N(static_cast<int64_t>(rx))});
    fn(tx, rx);
  }
}
void OnDataCapabilities(BYTE size, ULONG* caps) {
  if (const auto fn = ModuleCallback<DataCapabilitiesCallbackFn>(kDataCapabilities)) {
    std::vector<int64_t> list;
    for (BYTE i = 0; caps != nullptr && i < size; ++i) {
      list.push_back(caps[i]);
    }
    Recorder::Get().Callback("DataCapabilities",
                             {N(size), caps == nullptr ? Value::Null() : Value::Numbers(std::move(list))});
    fn(size, caps);
  }
}
void OnActivationStatus(ULONG state) {
  if (const auto fn = ModuleCallback<ActivationStatusCallbackFn>(kActivationStatus)) {
    Recorder::Get().Callback("ActivationStatus", {N(state)});
    fn(state);
  }
}
void OnRoamingIndicator(ULONG roaming) {
  if (const auto fn = ModuleCallback<RoamingIndicatorCallbackFn>(kRoamingIndicator)) {
    Recorder::Get().Callback("RoamingIndicator", {N(roaming)});
    fn(roaming);
  }
}
void OnNewSMS(ULONG storage, ULONG index) {
  if (const auto fn = ModuleCallback<NewSMSCallbackFn>(kNewSMS)) {
    Recorder::Get().Callback("NewSMS", {N(storage), N(index)});
    fn(storage, index);
  }
}
void OnSignalStrength(INT8 strength, ULONG radioInterface) {
  if (const auto fn = ModuleCallback<SignalStrengthCallbackFn>(kSignalStrength)) {
    Recorder::Get().Callback("SignalStrength", {N(strength), N(radioInterface)});
    fn(strength, radioInterface);
  }
}
void OnPower(ULONG mode) {
  if (const auto fn = ModuleCallback<PowerCallbackFn>(kPower)) {
    Recorder::Get().Callback("Power", {N(mode)});
    fn(mode);
  }
}
void OnDeviceRemoval() {
  if (const auto fn = ModuleCallback<DeviceRemovalCallbackFn>(kDeviceRemoval)) {
    Recorder::Get().Callback("DeviceRemoval", {});
    fn();
  }
}
void OnNMEA(const char* sentence) {
  if (const auto fn = ModuleCallback<NMEACallbackFn>(kNMEA)) {
    Recorder::Get().Callback("NMEA", {sentence == nullptr ? Value::Null() : Value::Text(sentence)});
    fn(sentence);
  }
}
void OnPDSState(ULONG enabled, ULONG tracking) {
  if (const auto fn = ModuleCallback<PDSStateCallbackFn>(kPDSState)) {
    Recorder::Get().Callback("PDSState", {N(enabled), N(tracking)});
    fn(enabled, tracking);
  }
}

void* const kTrampolines[kSlotCount] = {
    reinterpret_cast<void*>(&OnSessionState),   reinterpret_cast<void*>(&OnByteTotals),
    reinterpret_cast<void*>(&OnDataCapabilities), reinterpret_cast<void*>(&OnActivationStatus),
    reinterpret_cast<void*>(&OnRoamingIndicator), reinterpret_cast<void*>(&OnNewSMS),
    reinterpret_cast<void*>(&OnSignalStrength), reinterpret_cast<void*>(&OnPower),
    reinterpret_cast<void*>(&OnDeviceRemoval),  reinterpret_cast<void*>(&OnNMEA),
    reinterpret_cast<void*>(&OnPDSState)};

}  // namespace

uint32_t RecorderGeneration() {
  return VESK_RECORDER_GENERATION;
}

Recorder& Recorder::Get() {
  // Destroyed when the recorder is unloaded, as the simulator is, but not at process exit on Windows:
  // the system has ended every other thread by then, one perhaps inside a write.
  static Recorder* const recorder = new Recorder;
  static const struct Reaper {
    ~Reaper() {
      if (!platform::ProcessIsEnding()) {
        delete recorder;
      }
    }
  } reaper;
  return *recorder;
}

Recorder::Recorder() = default;

Recorder::~Recorder() {
  if (file_ != nullptr) {
    std::fclose(file_);
  }
}

int64_t Recorder::Now() {
  return std::chrono::duration_cast<std::chrono::microseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void Recorder::Load() {
  std::string error;
  const char* chosen = std::getenv(RealLibraryVariable());
  const bool loaded = chosen != nullptr && *chosen != 0
                          ? real_.Load(chosen, &error)
                          : real_.Load(std::string(RealLibraryName()) + ".real.dll", &error);
  if (!loaded) {
    loadError_ = error.empty() ? "cannot load the real library" : error;
  }
}

void* Recorder::Real(const char* name) {
  std::call_once(loaded_, [this] { Load(); });
  return real_.IsLoaded() ? real_.Symbol(name) : nullptr;
}

void Recorder::Append(std::string_view line) {
  if (!opened_) {
    opened_ = true;
    file_ = std::fopen(RecordingPath().c_str(), "wb");
    if (file_ != nullptr) {
      const std::string header = FormatHeader(VESK_RECORDER_GENERATION, UtcNow());
      std::fwrite(header.data(), 1, header.size(), file_);
      if (!loadError_.empty()) {
        const std::string note = "# the real library did not load: " + loadError_ + "\n";
        std::fwrite(note.data(), 1, note.size(), file_);
      }
    }
  }
  if (file_ != nullptr) {
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
  }
}

void Recorder::Call(const char* name, const Arg* args, size_t count, const Capacities& capacities, ULONG result,
                    int64_t startUs) {
  const std::vector<Value> values = EncodeCall(name, args, count, capacities);
  std::lock_guard<std::mutex> lock(recordLock_);
  // Stamped under the lock, so that the times of the lines never go backwards.
  const int64_t now = Now();
  if (originUs_ < 0) {
    originUs_ = now;
  }
  Append(FormatCall(now - originUs_, now - startUs, name, values, result));
}

void Recorder::Callback(std::string_view name, const std::vector<Value>& values) {
  std::lock_guard<std::mutex> lock(recordLock_);
  const int64_t now = Now();
  if (originUs_ < 0) {
    originUs_ = now;
  }
  Append(FormatCallback(now - originUs_, name, values));
}

void* Recorder::Wrap(std::string_view entryPoint, void* moduleCallback) {
  const std::string_view kind = CallbackOfRegistration(entryPoint);
  for (size_t slot = 0; slot < kSlotCount; ++slot) {
    if (kind == kSlotNames[slot]) {
      moduleCallbacks[slot].store(moduleCallback, std::memory_order_release);
      return moduleCallback == nullptr ? nullptr : kTrampolines[slot];
    }
  }
  return moduleCallback;
}

}  // namespace veskrec
