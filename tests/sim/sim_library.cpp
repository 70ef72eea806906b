#include "sim_library.h"

namespace simtest {

SimLibrary::SimLibrary(const char* fileName) {
  const std::string path = std::string(VESK_SIM_BIN_DIR) + "/" + fileName;
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    ADD_FAILURE() << "cannot load " << path << ": " << dlerror();
  }
}

SimLibrary& SimLibrary::Second() {
  static SimLibrary library("libQCWWAN2k.so");
  return library;
}

SimLibrary& SimLibrary::First() {
  static SimLibrary library("libQCWWAN.so");
  return library;
}

int SimLibrary::LoadScenario(const std::string& text) const {
  return CALL(*this, VeskSimLoadScenario, text.c_str());
}

void SimLibrary::Reset() const {
  CALL(*this, VeskSimReset);
}

void SimLibrary::SetTimeScale(double scale) const {
  CALL(*this, VeskSimSetTimeScale, scale);
}

std::string SimLibrary::LastError() const {
  char text[256] = {};
  CALL(*this, VeskSimLastError, text, sizeof text);
  return text;
}

CallbackRecorder& CallbackRecorder::Get() {
  static CallbackRecorder recorder;
  return recorder;
}

void CallbackRecorder::Add(std::string text) {
  std::function<void()> hook;
  {
    std::lock_guard<std::mutex> lock(lock_);
    hook.swap(hook_);
  }
  if (hook) {
    hook();
  }
  {
    std::lock_guard<std::mutex> lock(lock_);
    records_.push_back({std::move(text), std::this_thread::get_id()});
  }
  added_.notify_all();
}

void CallbackRecorder::Clear() {
  std::lock_guard<std::mutex> lock(lock_);
  records_.clear();
  hook_ = nullptr;
}

std::vector<CallbackRecord> CallbackRecorder::Records() const {
  std::lock_guard<std::mutex> lock(lock_);
  return records_;
}

std::vector<std::string> CallbackRecorder::Texts(const std::string& prefix) const {
  std::lock_guard<std::mutex> lock(lock_);
  std::vector<std::string> texts;
  for (const auto& record : records_) {
    if (record.text.rfind(prefix, 0) == 0) {
      texts.push_back(record.text);
    }
  }
  return texts;
}

bool CallbackRecorder::WaitFor(const std::string& prefix, size_t count) const {
  std::unique_lock<std::mutex> lock(lock_);
  return added_.wait_for(lock, kTimeout, [&] {
    size_t seen = 0;
    for (const auto& record : records_) {
      seen += record.text.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return seen >= count;
  });
}

void CallbackRecorder::OnNext(std::function<void()> hook) {
  std::lock_guard<std::mutex> lock(lock_);
  hook_ = std::move(hook);
}

namespace {

void Record(const char* format, long long a = 0, long long b = 0) {
  char text[64];
  std::snprintf(text, sizeof text, format, a, b);
  CallbackRecorder::Get().Add(text);
}

}  // namespace

void OnSessionState(ULONG state, ULONG reason) {
  Record("session %lld %lld", state, reason);
}
void OnByteTotals(ULONGLONG tx, ULONGLONG rx) {
  Record("bytes %lld %lld", static_cast<long long>(tx), static_cast<long long>(rx));
}
void OnRoaming(ULONG roaming) {
  Record("roaming %lld", roaming);
}
void OnSignal(INT8 dbm, ULONG iface) {
  Record("signal %lld %lld", dbm, iface);
}
void OnPower(ULONG mode) {
  Record("power %lld", mode);
}
void OnDeviceRemoval() {
  CallbackRecorder::Get().Add("removal");
}
void OnNmea(const char* sentence) {
  CallbackRecorder::Get().Add(std::string("nmea ") + sentence);
}
void OnPdsState(ULONG enabled, ULONG tracking) {
  Record("pds %lld %lld", enabled, tracking);
}

void SimTest::SetUp() {
  for (const SimLibrary* library : {&SimLibrary::Second(), &SimLibrary::First()}) {
    library->Reset();
    library->SetTimeScale(0.01);
  }
  recorder_.Clear();
}

void SimTest::TearDown() {
  for (const SimLibrary* library : {&SimLibrary::Second(), &SimLibrary::First()}) {
    CALL(*library, QCWWANDisconnect);
    library->Reset();
  }
}

void SimTest::ConnectWithCallbacks() const {
  ASSERT_EQ(0u, CALL(lib_, QCWWANConnect));
  INT8 thresholds[] = {-107, -103, -97, -88, -79};
  ASSERT_EQ(0u, CALL(lib_, SetSessionStateCallback, OnSessionState));
  ASSERT_EQ(0u, CALL(lib_, SetByteTotalsCallback, OnByteTotals, 1));
  ASSERT_EQ(0u, CALL(lib_, SetRoamingIndicatorCallback, OnRoaming));
  ASSERT_EQ(0u, CALL(lib_, SetSignalStrengthCallback, OnSignal, 5, thresholds));
  ASSERT_EQ(0u, CALL(lib_, SetPowerCallback, OnPower));
  ASSERT_EQ(0u, CALL(lib_, SetDeviceRemovalCallback, OnDeviceRemoval));
  ASSERT_EQ(0u, CALL(lib_, SetNMEACallback, OnNmea));
  ASSERT_EQ(0u, CALL(lib_, SetPDSStateCallback, OnPdsState));
}

}  // namespace simtest
