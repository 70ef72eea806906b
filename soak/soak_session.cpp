#include "soak/soak_session.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string_view>
#include <thread>
#include <vector>

#include "device/vesk_sdk.h"
#include "host/kit/recording_notification_sink.h"
#include "host/kit/recording_power_state_source.h"
#include "host/kit/recording_trace_log.h"
#include "netutil/device_info_helper.h"
#include "platform/clock.h"
#include "platform/composite_modem_tree.h"
#include "platform/device_tree.h"
#include "platform/text.h"
#include "soak/notification_order.h"
#include "soak/simulator_control.h"
#include "tests/device/failing_allocation.h"
#include "trace/trace.h"
#include "vesk/notifications.h"

// Present in the asan build only: a leak check that reports and goes on.
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

namespace soak {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Generous real-time slack on every bound: the machine running the soak may be loaded.
constexpr milliseconds kSlack{20000};
// Close detaches (its vendor calls each slowed at most kMaxDelayMs), then stops the worker and the
// notification thread (10 s each, plus 5 s for a thread to end): far less than this, in modem time.
constexpr uint32_t kCloseBoundMs = 120000;
constexpr uint32_t kMaxDelayMs = 1500;
constexpr milliseconds kMaxBlock{250};

// Vendor entry points the module calls, for faults, delays and blocks.
const char* const kEntryPoints[] = {
    "QCWWAN2kEnumerateDevices", "QCWWAN2kConnect", "QCWWANDisconnect", "QCWWAN2kGetConnectedDeviceID",
    "GetFirmwareInfo", "GetPower", "UIMGetPINStatus", "UIMVerifyPIN", "GetSessionState",
    "StartDataSession", "StopDataSession", "GetDefaultProfile", "SetDefaultProfile", "GetAutoconnect",
    "SetAutoconnect", "GetNetworkPreference", "SetNetworkPreference", "GetSignalStrengths",
    "GetServingNetwork", "GetHomeNetwork", "GetServingNetworkCapabilities", "GetVoiceNumber",
    "GetSerialNumbers", "GetIMSI", "UIMGetICCID", "GetSMSList", "GetSMS", "ModifySMSStatus",
    "SetPDSState", "GetPDSState", "SetServiceAutomaticTracking", "GetImageStoreW", "GetImageInfoW",
    "UpgradeFirmwareW", "GetActivationState", "SetPower", "GetModelID", "GetManufacturer",
    "GetFirmwareRevision", "GetFirmwareRevisions", "SetSessionStateCallback", "SetNMEACallback",
};
constexpr uint32_t kFaultResults[] = {1, 6, 8, 15, 1014, 1026};
constexpr uint32_t kDiagnostics[] = {1, 2, 3, 4, 5, 6 | (310u << 24) | (26u << 16), 7, 8, 8 | (1u << 16),
                                     50000, 50010, 50123, 51234};
const int32_t kPayloadCodes[] = {WWAN_NOTIFICATION_PHONE_NUMBER_ACQUIRED, WWAN_NOTIFICATION_BYTES_TX_RX,
                                 WWAN_NOTIFICATION_GPS_INFO_CHANGED, WWAN_NOTIFICATION_SMS_EVENT};

// The modems of the device tree, and the trees by which a host names them.
struct Modems {
  std::shared_ptr<platform::InMemoryDeviceTree> tree = std::make_shared<platform::InMemoryDeviceTree>();
  std::string interfaceNames[2];
  DeviceInfoTree hostTrees[2];
};
Modems& TheModems() {
  static Modems modems;
  return modems;
}

// Ends the process when a step outlives its deadline: a step that never returns is a deadlock.
class Watchdog {
 public:
  static Watchdog& Get() {
    static Watchdog* watchdog = new Watchdog();  // never destroyed: its thread runs to the exit
    return *watchdog;
  }
  void Arm(uint64_t seed, std::string step, Clock::time_point deadline) {
    {
      std::lock_guard<std::mutex> lock(lock_);
      seed_ = seed;
      step_ = std::move(step);
      deadline_ = deadline;
      armed_ = true;
    }
    changed_.notify_all();
  }
  void Disarm() {
    std::lock_guard<std::mutex> lock(lock_);
    armed_ = false;
  }

 private:
  Watchdog() {
    std::thread([this] { Watch(); }).detach();
  }
  void Watch() {
    std::unique_lock<std::mutex> lock(lock_);
    for (;;) {
      if (!armed_) {
        changed_.wait(lock);
      } else if (changed_.wait_until(lock, deadline_) == std::cv_status::timeout && armed_ &&
                 Clock::now() >= deadline_) {
        std::fprintf(stderr, "vesk-soak: VIOLATION (seed %llu): %s did not return in time (deadlock)\n",
                     static_cast<unsigned long long>(seed_), step_.c_str());
        std::fflush(stderr);
        _exit(2);
      }
    }
  }

  std::mutex lock_;
  std::condition_variable changed_;
  bool armed_ = false;
  uint64_t seed_ = 0;
  std::string step_;
  Clock::time_point deadline_;
};

std::string NmeaSentence(std::mt19937_64& random) {
  char body[96];
  std::snprintf(body, sizeof(body), "GPRMC,12%02u%02u.00,A,48%02u.%03u,N,011%02u.%03u,E,0%02u.4,%03u.4,230394,,",
                static_cast<unsigned>(random() % 60), static_cast<unsigned>(random() % 60),
                static_cast<unsigned>(random() % 60), static_cast<unsigned>(random() % 1000),
                static_cast<unsigned>(random() % 60), static_cast<unsigned>(random() % 1000),
                static_cast<unsigned>(random() % 100), static_cast<unsigned>(random() % 360));
  unsigned checksum = 0;
  for (const char* c = body; *c != '\0'; ++c) {
    checksum ^= static_cast<unsigned char>(*c);
  }
  char sentence[128];
  // Now and then a damaged checksum, which the parser must turn away.
  std::snprintf(sentence, sizeof(sentence), "$%s*%02X", body, random() % 8 == 0 ? checksum ^ 1 : checksum);
  return sentence;
}

class Session {
 public:
  Session(const SimulatorControl& simulator, uint64_t seed, const SessionOptions& options)
      : simulator_(simulator), seed_(seed), options_(options), random_(seed), chaosRandom_(seed ^ 0x5eed) {}

  std::string Run();

 private:
  // Host operations and faults, one per step.
  void Step();
  void Attach();
  // A host operation while the module is not open: it must be refused and change nothing.
  void OutsideOpen();
  void Inject();
  void ModemEvent();
  bool CloseChecked();
  void Wait(uint32_t modemMs);

  // The bound of a step in real time, covering every call held by a block that is still pending.
  Clock::time_point Deadline(milliseconds base);
  void Guard(const char* step, milliseconds base = milliseconds(0)) {
    Watchdog::Get().Arm(seed_, step, Deadline(base));
  }
  void Violate(std::string what);
  std::string FirstViolation();

  // Observers of the host objects, on the module's threads.
  void OnNotification(const hostkit::RecordedNotification& record);
  void OnTraceLine(const hostkit::TraceLine& line);
  void Chaos();
  void Dump();
  void ReleaseDueBlocks(bool all);

  uint32_t Pick(uint32_t count) { return static_cast<uint32_t>(random_() % count); }
  std::string Secret(const char* prefix) {
    std::string secret = prefix;
    for (int i = 0; i < 10; ++i) {
      secret += static_cast<char>('a' + Pick(26));
    }
    secrets_.push_back(secret);
    return secret;
  }
  std::string Pin() {
    std::string pin = "9";
    for (int i = 0; i < 7; ++i) {
      pin += static_cast<char>('0' + Pick(10));
    }
    secrets_.push_back(pin);
    return pin;
  }

  const SimulatorControl& simulator_;
  const uint64_t seed_;
  const SessionOptions options_;
  std::mt19937_64 random_;
  std::mt19937_64 chaosRandom_;  // the chaos thread's own, so the steps follow from the seed alone

  hostkit::RecordingNotificationSink sink_;
  hostkit::RecordingTraceLog traceLog_;
  hostkit::RecordingPowerStateSource powerSource_;
  CVeskSDK* sdk_ = nullptr;
  bool open_ = false;

  std::string pin_;
  std::string wrongPin_;
  std::string password_;
  std::vector<std::string> secrets_;  // written before the module runs, read on its threads

  std::mutex stateLock_;
  std::string violation_;
  NotificationOrder order_;
  std::map<std::string, int> posted_;  // payload notifications queued, by name (the trace's count)
  std::map<int32_t, int> delivered_;   // and delivered, each freed by the host once
  std::atomic<uint32_t> injectableCallbacks_{0};  // to pick the callbacks whose allocation fails

  std::mutex chaosLock_;
  std::condition_variable chaosChanged_;
  bool chaosStop_ = false;
  bool burst_ = false;  // events back to back, while Close runs
  std::vector<std::pair<std::string, Clock::time_point>> blocks_;  // entry points held, and until when
};

void Session::Violate(std::string what) {
  std::lock_guard<std::mutex> lock(stateLock_);
  if (violation_.empty()) {
    violation_ = std::move(what);
  }
}

std::string Session::FirstViolation() {
  std::lock_guard<std::mutex> lock(stateLock_);
  return violation_;
}

Clock::time_point Session::Deadline(milliseconds base) {
  Clock::time_point latest = Clock::now();
  {
    std::lock_guard<std::mutex> lock(chaosLock_);
    for (const auto& block : blocks_) {
      latest = std::max(latest, block.second);
    }
  }
  return latest + base + kSlack;
}

void Session::OnNotification(const hostkit::RecordedNotification& record) {
  std::lock_guard<std::mutex> lock(stateLock_);
  std::string broken = order_.Deliver(record.code);
  if (!broken.empty() && violation_.empty()) {
    violation_ = "notification order: " + broken;
  }
  if (std::find(std::begin(kPayloadCodes), std::end(kPayloadCodes), record.code) != std::end(kPayloadCodes)) {
    ++delivered_[record.code];
    if (record.param1 == 0 && record.code != WWAN_NOTIFICATION_GPS_INFO_CHANGED && violation_.empty()) {
      violation_ = std::string(NotificationName(record.code)) + " delivered without its payload";
    }
  }
}

void Session::OnTraceLine(const hostkit::TraceLine& line) {
  // One callback in five of those that carry no payload fails its first, second or third allocation
  // after entering (a trace line, the copy of a sentence, a work item, a queued notification). Armed
  // last, so that nothing of this observer counts; disarmed as the callback leaves, should it not come.
  static const std::string kInjected[] = {"CVeskSDK::SignalStrengthCallback", "CVeskSDK::RoamingIndicatorCallback",
                                          "CVeskSDK::DataCapabilitiesCallback", "CVeskSDK::NMEACallback"};
  if (line.text.size() > 4 && std::find(std::begin(kInjected), std::end(kInjected), line.text.substr(4)) !=
                                  std::end(kInjected)) {
    if (line.text.starts_with("<== ")) {
      failing_allocation::Disarm();
    } else if (const uint32_t count = ++injectableCallbacks_; count % 5 == 0) {
      failing_allocation::FailNth(1 + static_cast<int>(count / 5 % 3));
    }
    return;
  }
  for (const std::string& secret : secrets_) {
    const std::size_t at = line.text.find(secret);
    if (at == std::string::npos) {
      continue;
    }
    // A PIN is only one when it stands alone, not inside a longer number.
    const auto digit = [&](std::size_t i) { return i < line.text.size() && std::isdigit(line.text[i]); };
    if (std::isdigit(secret[0]) && ((at > 0 && digit(at - 1)) || digit(at + secret.size()))) {
      continue;
    }
    Violate("a PIN or password in the trace: \"" + line.text + "\"");
  }
  if (line.text.find("problem disconnecting from the vesk sdk") != std::string::npos) {
    std::lock_guard<std::mutex> lock(stateLock_);
    order_.DetachFailed();
  }
  static const std::string kEnqueuing = "Enqueuing cellular SDK message '";
  const std::size_t at = line.text.find(kEnqueuing);
  if (at != std::string::npos) {
    const std::string name = line.text.substr(at + kEnqueuing.size(), line.text.find('\'', at + kEnqueuing.size()) -
                                                                          at - kEnqueuing.size());
    for (int32_t code : kPayloadCodes) {
      if (name == NotificationName(code)) {
        std::lock_guard<std::mutex> lock(stateLock_);
        ++posted_[name];
      }
    }
  }
}

void Session::ReleaseDueBlocks(bool all) {
  std::vector<std::string> due;
  {
    std::lock_guard<std::mutex> lock(chaosLock_);
    const auto now = Clock::now();
    auto it = std::stable_partition(blocks_.begin(), blocks_.end(),
                                    [&](const auto& block) { return !all && block.second > now; });
    for (auto release = it; release != blocks_.end(); ++release) {
      due.push_back(release->first);
    }
    blocks_.erase(it, blocks_.end());
  }
  for (const std::string& entryPoint : due) {
    simulator_.Release(entryPoint.c_str());
  }
}

void Session::Chaos() {
  std::unique_lock<std::mutex> lock(chaosLock_);
  while (!chaosStop_) {
    const bool burst = burst_;
    chaosChanged_.wait_for(lock, burst ? milliseconds(0) : milliseconds(1 + chaosRandom_() % 15));
    if (chaosStop_) {
      break;
    }
    const uint32_t pick = static_cast<uint32_t>(chaosRandom_() % 10);
    std::string line;
    switch (pick) {
      case 0:
      case 1:
      case 2:
        line = "signal = -" + std::to_string(50 + chaosRandom_() % 70) + " " + std::to_string(4 + chaosRandom_() % 2);
        break;
      case 3:
        line = "roaming = " + std::to_string(chaosRandom_() % 3);
        break;
      case 4:
        line = chaosRandom_() % 2 == 0 ? "data_caps = 3 4" : "data_caps = 1 2";
        break;
      case 5:
        line = "bytes = " + std::to_string(chaosRandom_() % 100000) + " " + std::to_string(chaosRandom_() % 100000);
        break;
      default:
        line = "nmea = " + NmeaSentence(chaosRandom_);
        break;
    }
    lock.unlock();
    ReleaseDueBlocks(false);
    // A burst: a few events back to back.
    const int count = burst || chaosRandom_() % 4 == 0 ? 5 : 1;
    for (int i = 0; i < count; ++i) {
      simulator_.Event(line);
    }
    lock.lock();
  }
}

void Session::Dump() {
  std::FILE* file = std::fopen(options_.dumpPath.c_str(), "w");
  if (file == nullptr) {
    return;
  }
  for (const hostkit::TraceLine& line : traceLog_.lines()) {
    std::fprintf(file, "%d %s\n", line.level, line.text.c_str());
  }
  std::fprintf(file, "--- notifications delivered\n");
  for (const hostkit::RecordedNotification& record : sink_.Notifications()) {
    std::fprintf(file, "%s %llu %llu\n", NotificationName(record.code), static_cast<unsigned long long>(record.param1),
                 static_cast<unsigned long long>(record.param2));
  }
  std::fclose(file);
}

void Session::Wait(uint32_t modemMs) {
  std::this_thread::sleep_for(platform::ScaledDuration(modemMs));
}

void Session::OutsideOpen() {
  Guard("an operation while not open");
  const uint32_t operation = Pick(10);
  bool accepted = false;
  switch (operation) {
    case 0:
      accepted = sdk_->AttachToCellularDevice(TheModems().hostTrees[Pick(2)]);
      break;
    case 1:
      accepted = sdk_->Connect("internet", "soak", password_.c_str());
      break;
    case 2:
      accepted = sdk_->Disconnect();
      break;
    case 3:
      accepted = sdk_->UnlockSim(pin_.c_str());
      break;
    case 4:
      accepted = sdk_->SetCellularServiceSelection(static_cast<int32_t>(1 + Pick(4)));
      break;
    case 5:
      accepted = sdk_->SetAutoConnectMode(static_cast<int32_t>(Pick(2)), "internet", "soak", password_.c_str());
      break;
    case 6:
      accepted = Pick(2) == 0 ? sdk_->StartGPSTracking() : sdk_->StopGPSTracking();
      break;
    case 7:
      accepted = sdk_->StartImageSwitchingProcess(u"/images/generic");
      break;
    default:
      accepted = sdk_->PerformSpecialDiagnostics(kDiagnostics[Pick(std::size(kDiagnostics))]);
      break;
  }
  Watchdog::Get().Disarm();
  if (accepted) {
    Violate("operation " + std::to_string(operation) + " succeeded while the module was not open");
  }
}

void Session::Attach() {
  const bool turnedOn = Pick(4) == 0;
  switch (Pick(3)) {
    case 0:
      sdk_->AttachToCellularDevice(turnedOn);
      break;
    case 1:
      sdk_->AttachToCellularDevice(TheModems().hostTrees[Pick(2)], turnedOn);
      break;
    default:
      sdk_->AttachToCellularDevice();
      break;
  }
}

void Session::Inject() {
  const char* entryPoint = kEntryPoints[Pick(std::size(kEntryPoints))];
  switch (Pick(4)) {
    case 0:
    case 1:
      simulator_.Fail(entryPoint, kFaultResults[Pick(std::size(kFaultResults))], 1 + Pick(3));
      break;
    case 2:
      simulator_.Delay(entryPoint, Pick(3) == 0 ? 0 : 50 + Pick(kMaxDelayMs));
      break;
    default: {
      // Held until the chaos thread lets go, so that nothing, Close included, waits for ever.
      std::lock_guard<std::mutex> lock(chaosLock_);
      blocks_.emplace_back(entryPoint, Clock::now() + milliseconds(5 + Pick(kMaxBlock.count())));
      simulator_.Delay(entryPoint, UINT32_MAX);
      break;
    }
  }
}

void Session::ModemEvent() {
  static const char* const kEvents[] = {
      "device = removed", "device = returned", "power = 0", "power = 1", "power = 3", "power = 4",
      "session = 1",      "session = 2",       "activation = 1",
  };
  if (Pick(3) == 0) {
    const std::string storage = Pick(2) == 0 ? "sim" : "device";
    simulator_.Event("sms = " + storage + " from +1555" + std::to_string(1000000 + Pick(9000000)) +
                     " 2026-12-06 10:00:00 Soak message " + std::to_string(Pick(1000)));
  } else {
    simulator_.Event(kEvents[Pick(std::size(kEvents))]);
  }
}

void Session::Step() {
  const uint32_t operation = Pick(22);
  switch (operation) {
    case 0:
    case 1:
      Guard("AttachToCellularDevice");
      Attach();
      break;
    case 2:
      Guard("UnlockSim");
      sdk_->UnlockSim(Pick(5) == 0 ? wrongPin_.c_str() : pin_.c_str());
      break;
    case 3:
    case 4:
      Guard("Connect");
      sdk_->Connect("internet", "soak", password_.c_str());
      break;
    case 5:
      Guard("Disconnect");
      sdk_->Disconnect();
      break;
    case 6:
      Guard("SetAutoConnectMode");
      sdk_->SetAutoConnectMode(static_cast<int32_t>(Pick(2)), "internet", "soak", password_.c_str());
      sdk_->GetAutoConnectMode();
      break;
    case 7: {
      Guard("Set/GetCellularServiceSelection");
      int32_t selection = 0;
      sdk_->GetCellularServiceSelection(&selection);
      sdk_->SetCellularServiceSelection(static_cast<int32_t>(1 + Pick(4)));
      break;
    }
    case 8:
      Guard("Start/StopGPSTracking");
      if (Pick(3) != 0) {
        sdk_->StartGPSTracking();
      } else {
        sdk_->StopGPSTracking();
      }
      sdk_->IsGPSTrackingActive();
      break;
    case 9: {
      Guard("GetImageList/StartImageSwitchingProcess");
      std::vector<ImageRecord> images;
      if (sdk_->GetImageList(&images) && !images.empty() && Pick(2) == 0) {
        sdk_->StartImageSwitchingProcess(images[Pick(static_cast<uint32_t>(images.size()))].path);
      }
      break;
    }
    case 10:
      Guard("PerformSpecialDiagnostics");
      sdk_->PerformSpecialDiagnostics(kDiagnostics[Pick(std::size(kDiagnostics))]);
      break;
    case 11:
      Guard(Pick(2) == 0 ? "EnterPCSleepMode" : "ExitPCSleepMode");
      if (Pick(2) == 0) {
        powerSource_.RaiseSleep();
      } else {
        powerSource_.RaiseResume();
      }
      break;
    case 12: {
      Guard("GetCellularCardInfo");
      auto info = std::make_unique<CellularCardInfo>();
      sdk_->GetCellularCardInfo(info.get());
      break;
    }
    case 13:
      Guard("DetachFromCellularDevice");
      sdk_->DetachFromCellularDevice();
      break;
    case 14:
      Guard("a modem event");
      ModemEvent();
      break;
    case 15:
    case 16:
    case 17:
      Guard("a fault injection");
      Inject();
      break;
    case 18:
      // Close and open again in the middle of the session.
      if (CloseChecked()) {
        for (uint32_t outside = Pick(3); outside > 0; --outside) {
          OutsideOpen();
        }
        Guard("Open");
        open_ = sdk_->Open();
        if (!open_) {
          Violate("Open after Close failed");
        }
      }
      break;
    default:
      Guard("a wait");
      Wait(Pick(3000));
      break;
  }
  Watchdog::Get().Disarm();
}

bool Session::CloseChecked() {
  {
    std::lock_guard<std::mutex> lock(chaosLock_);
    burst_ = true;  // vendor callbacks keep arriving while Close runs
  }
  chaosChanged_.notify_all();
  const auto bound = Deadline(std::chrono::duration_cast<milliseconds>(platform::ScaledDuration(kCloseBoundMs)));
  Watchdog::Get().Arm(seed_, "Close", bound);
  const bool closed = sdk_->Close();
  Watchdog::Get().Disarm();
  const auto returned = Clock::now();
  {
    std::lock_guard<std::mutex> lock(chaosLock_);
    burst_ = false;
  }
  open_ = false;
  if (returned > bound) {
    Violate("Close returned after its bound");
  }
  std::lock_guard<std::mutex> lock(stateLock_);
  // Close drains the notification queue: its closing notification is the last the host has seen.
  if (violation_.empty() && !order_.closed()) {
    violation_ = std::string("Close returned ") + (closed ? "true" : "false") +
                 " before WWAN_NOTIFICATION_SDK_CLOSED reached the host";
  }
  return violation_.empty();
}

std::string Session::Run() {
  pin_ = Pin();
  wrongPin_ = Pin();
  password_ = Secret("Pw");
  const bool locked = Pick(2) == 0;
  std::string sim = "[sim]\npin_status = " + std::string(locked ? "1" : "3") + "\npin = " + pin_ +
                    "\npin_retries = 5\n";
  std::string scenario;
  for (int modem = 0; modem < 2; ++modem) {
    scenario += "[modem]\ndevice_id = " + TheModems().interfaceNames[modem] + "\n" + sim;
  }
  scenario += "[session]\nautoconnect = " + std::to_string(Pick(4) == 0 ? 1 : 0) + "\n";
  simulator_.Reset();
  const std::string error = simulator_.Load(scenario);
  if (!error.empty()) {
    return "the session's scenario does not load: " + error;
  }

  sink_.SetListener([this](const hostkit::RecordedNotification& record) { OnNotification(record); });
  traceLog_.SetLineObserver([this](const hostkit::TraceLine& line) { OnTraceLine(line); });
  std::thread chaos([this] { Chaos(); });

  Guard("construction");
  sdk_ = new CVeskSDK(&sink_, &traceLog_, &powerSource_);
  Watchdog::Get().Disarm();
  for (uint32_t outside = Pick(3); outside > 0; --outside) {
    OutsideOpen();
  }
  Guard("Open");
  open_ = sdk_->Open();
  Watchdog::Get().Disarm();
  if (!open_) {
    Violate("Open failed");
  }
  for (int step = 0; step < options_.steps && FirstViolation().empty() && open_; ++step) {
    Step();
  }
  if (open_ && FirstViolation().empty() && CloseChecked()) {
    for (uint32_t outside = Pick(3); outside > 0; --outside) {
      OutsideOpen();
    }
  }
  Guard("Release");
  sdk_->Release();
  sdk_ = nullptr;
  Watchdog::Get().Disarm();

  {
    std::lock_guard<std::mutex> lock(chaosLock_);
    chaosStop_ = true;
  }
  chaosChanged_.notify_all();
  chaos.join();
  ReleaseDueBlocks(true);
  simulator_.Reset();

  std::string violation = FirstViolation();
  if (violation.empty()) {
    // Every payload queued reached the host, which freed it once: none was lost or freed by both.
    std::lock_guard<std::mutex> lock(stateLock_);
    for (int32_t code : kPayloadCodes) {
      const int posted = posted_[NotificationName(code)];
      if (posted != delivered_[code]) {
        violation = std::string(NotificationName(code)) + ": " + std::to_string(posted) + " queued, " +
                    std::to_string(delivered_[code]) + " delivered and freed by the host";
        break;
      }
    }
  }
  if (violation.empty() && __lsan_do_recoverable_leak_check != nullptr && __lsan_do_recoverable_leak_check() != 0) {
    violation = "memory leaked (see the leak report above)";
  }
  if (!violation.empty() && !options_.dumpPath.empty()) {
    Dump();
  }
  if (options_.verbose) {
    std::printf("seed %llu: %zu notifications, %zu trace lines, %zu callback events dropped\n",
                static_cast<unsigned long long>(seed_), sink_.Count(), traceLog_.lines().size(),
                traceLog_.Count("dropped its event"));
  }
  sink_.SetListener(nullptr);
  traceLog_.SetLineObserver(nullptr);
  return violation;
}

}  // namespace

void PrepareDeviceTree() {
  Modems& modems = TheModems();
  platform::CompositeModemOptions options;
  for (int modem = 0; modem < 2; ++modem) {
    options.serial = modem == 0 ? u"5001" : u"5002";
    const platform::CompositeModem added = platform::AddCompositeModem(*modems.tree, options);
    modems.interfaceNames[modem] = platform::Narrow(added.interfaceName);
    NetUtilities::DeviceInfoHelper helper(nullptr, kTraceCategory, modems.tree);
    helper.GetDeviceInfo(added.networkAdapterId, modems.hostTrees[modem]);
  }
  platform::SetSystemDeviceTree(modems.tree);
}

std::string RunSession(const SimulatorControl& simulator, uint64_t seed, const SessionOptions& options) {
  platform::SetTimeScale(options.timeScale);
  simulator.SetTimeScale(options.timeScale);
  Session session(simulator, seed, options);
  return session.Run();
}

}  // namespace soak
