// A minimal host of the installed module: loads it with dlopen (LoadLibrary on Windows) and checks
// the entry contract. It sees nothing of the repository, so it uses the system's loader directly.
#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "vesk/host_interfaces.h"
#include "vesk/notifications.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace {

int failures = 0;

void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "FAILED: %s\n", what);
    ++failures;
  }
}

class Sink : public IHostNotificationSink {
 public:
  void OnNotification(int32_t code, uintptr_t param1, uintptr_t) override {
    ReleaseNotificationPayload(code, param1);
    std::lock_guard<std::mutex> lock(lock_);
    codes_.push_back(code);
  }
  std::vector<int32_t> Codes() {
    std::lock_guard<std::mutex> lock(lock_);
    return codes_;
  }

 private:
  std::mutex lock_;
  std::vector<int32_t> codes_;
};

// Keeps the wide formats of the information lines.
class TraceLog : public IHostTraceLog {
 public:
  void TraceA(int32_t, int32_t level, const char*, ...) override { Note(level, u""); }
  void TraceW(int32_t, int32_t level, const char16_t* format, ...) override { Note(level, format); }
  std::vector<std::u16string> InfoFormats() {
    std::lock_guard<std::mutex> lock(lock_);
    return infoFormats_;
  }

 private:
  void Note(int32_t level, const char16_t* format) {
    std::lock_guard<std::mutex> lock(lock_);
    if (level == 4) {
      infoFormats_.push_back(format != nullptr ? format : u"");
    }
  }

  std::mutex lock_;
  std::vector<std::u16string> infoFormats_;
};

class PowerSource : public IPowerStateSource {
 public:
  bool RegisterObserver(IPowerStateObserver*) override { return true; }
  bool UnregisterObserver(IPowerStateObserver*) override { return true; }
};

}  // namespace

int main() {
#if defined(_WIN32)
  std::string path = VESK_MODULE;
  for (char& c : path) {
    c = c == '/' ? '\\' : c;
  }
  const HMODULE module = LoadLibraryA(path.c_str());
  if (module == nullptr) {
    std::fprintf(stderr, "FAILED: LoadLibrary %s: error %lu\n", VESK_MODULE, GetLastError());
    return 1;
  }
  const auto construct =
      reinterpret_cast<ConstructSDKFn>(reinterpret_cast<void*>(GetProcAddress(module, "ConstructSDK")));
#else
  void* module = dlopen(VESK_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (module == nullptr) {
    std::fprintf(stderr, "FAILED: dlopen %s: %s\n", VESK_MODULE, dlerror());
    return 1;
  }
  const auto construct = reinterpret_cast<ConstructSDKFn>(dlsym(module, "ConstructSDK"));
#endif
  if (construct == nullptr) {
    std::fprintf(stderr, "FAILED: no ConstructSDK in %s\n", VESK_MODULE);
    return 1;
  }

  Sink sink;
  TraceLog traceLog;
  PowerSource powerSource;
  Check(construct(nullptr, &traceLog, &powerSource) == nullptr, "null sink gives null");
  Check(construct(&sink, nullptr, &powerSource) == nullptr, "null trace log gives null");
  Check(construct(&sink, &traceLog, nullptr) == nullptr, "null power source gives null");

  ICellularSDK* sdk = construct(&sink, &traceLog, &powerSource);
  if (sdk == nullptr) {
    std::fprintf(stderr, "FAILED: ConstructSDK gave null\n");
    return 1;
  }
  Check(sdk->GetSDKType() == 3, "GetSDKType is 3");

  // One refused cast stands for the others: each answers null and traces one line.
  Check(sdk->GetSmithMicroSDK() == nullptr, "GetSmithMicroSDK");
  const auto formats = traceLog.InfoFormats();
  Check(!formats.empty() && formats.back() == u"    Cannot cast to ISmithMicroSDK",
        "a refusal line for the cast");

  IVeskSDK* vesk = sdk->GetVeskSDK();
  Check(vesk != nullptr, "GetVeskSDK");
  if (vesk != nullptr) {
    Check(dynamic_cast<void*>(vesk) == dynamic_cast<void*>(sdk), "GetVeskSDK reaches the same object");
  }

  Check(!sdk->IsOpen(), "not open after construction");
  Check(sdk->Open(), "Open");
  Check(sdk->IsOpen(), "open after Open");
  Check(vesk == nullptr || vesk->IsOpen(), "open through the extension interface");
  Check(sdk->Close(), "Close");
  Check(!sdk->IsOpen(), "not open after Close");
  // The device manager's own detach comes before the base's detached and closed notifications.
  const std::vector<int32_t> expected{WWAN_NOTIFICATION_SDK_INITIALIZING, WWAN_NOTIFICATION_DETACHED_FROM_DEVICE,
                                      WWAN_NOTIFICATION_DETACHED_FROM_DEVICE, WWAN_NOTIFICATION_SDK_CLOSED};
  Check(sink.Codes() == expected, "open and close notifications delivered before Close returns");
  sdk->Release();

  if (failures == 0) {
    std::printf("installed module: all checks passed\n");
  }
  return failures == 0 ? 0 : 1;
}
