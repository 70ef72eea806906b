// A minimal connection-manager host: loads the plug-in module, attaches to the first modem, unlocks
// its SIM if it asks for the PIN, waits until the modem is ready to connect, prints its identity and
// ends. Usage: minimal-host [PIN]   (exit status 0 once ready to connect, else 1)
#include <dlfcn.h>

#include <chrono>
#include <condition_variable>
#include <cstdarg>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>

#include "vesk/host_interfaces.h"
#include "vesk/notifications.h"
#include "vesk/records.h"
#include "vesk/values.h"

namespace {

// Notifications arrive on the module's own thread: note what is needed, free the payload, return.
class Sink : public IHostNotificationSink {
 public:
  void OnNotification(int32_t code, uintptr_t param1, uintptr_t) override {
    ReleaseNotificationPayload(code, param1);  // param1 is a dangling pointer from here on for payloads
    std::printf("notification %s\n", NotificationName(code));
    std::lock_guard<std::mutex> lock(lock_);
    queue_.emplace_back(code, param1);
    arrived_.notify_all();
  }

  // Waits for the next notification with this code, dropping the others; returns its param1.
  bool WaitFor(int32_t code, uintptr_t* param1 = nullptr) {
    std::unique_lock<std::mutex> lock(lock_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (true) {
      while (!queue_.empty()) {
        const auto [next, value] = queue_.front();
        queue_.pop_front();
        if (next == code) {
          if (param1 != nullptr) {
            *param1 = value;
          }
          return true;
        }
      }
      if (arrived_.wait_until(lock, deadline) == std::cv_status::timeout) {
        std::fprintf(stderr, "no %s within 30 s\n", NotificationName(code));
        return false;
      }
    }
  }

 private:
  std::mutex lock_;
  std::condition_variable arrived_;
  std::deque<std::pair<int32_t, uintptr_t>> queue_;
};

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8(const char16_t* text) {
  std::string out;
  for (; text != nullptr && *text != 0; ++text) {
    char32_t c = *text;
    if (c >= 0xD800 && c <= 0xDBFF && text[1] >= 0xDC00 && text[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (*++text - 0xDC00);
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    } else if (c < 0x10000) {
      out += {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
              static_cast<char>(0x80 | (c & 0x3F))};
    } else {
      out += {static_cast<char>(0xF0 | (c >> 18)), static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
              static_cast<char>(0x80 | ((c >> 6) & 0x3F)), static_cast<char>(0x80 | (c & 0x3F))};
    }
  }
  return out;
}

// Formats a trace line by the Windows printf rules the module follows: %d and %ld read 32 bits,
// %lld and %I64d 64, %ws, %ls and %S (and %s in a wide format) a const char16_t*.
std::string Format(const std::string& format, bool wide, va_list args) {
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      out += format[i];
      continue;
    }
    std::string directive = "%";
    while (++i < format.size() && std::string_view("-+ #0123456789.*").find(format[i]) != std::string_view::npos) {
      directive += format[i] == '*' ? std::to_string(va_arg(args, int)) : std::string(1, format[i]);
    }
    bool is64 = false;
    bool wideArg = wide;
    for (; i < format.size(); ++i) {
      if (format.compare(i, 3, "I64") == 0 || format.compare(i, 2, "ll") == 0) {
        is64 = true;
        i += format[i] == 'I' ? 2 : 1;
      } else if (format[i] == 'w' || format[i] == 'l') {
        wideArg = true;  // %ls, %ws; before an integer conversion, l keeps it 32 bits
      } else if (format[i] == 'h') {
        wideArg = false;
      } else {
        break;
      }
    }
    if (i >= format.size()) {
      break;
    }
    const char conversion = format[i];
    char piece[512];
    if (conversion == 's' || conversion == 'S') {
      const std::string text = wideArg || conversion == 'S' ? Utf8(va_arg(args, const char16_t*))
                                                            : std::string(va_arg(args, const char*));
      std::snprintf(piece, sizeof piece, (directive + "s").c_str(), text.c_str());
    } else if (std::string_view("diuxXoc").find(conversion) != std::string_view::npos) {
      if (is64) {
        std::snprintf(piece, sizeof piece, (directive + "ll" + conversion).c_str(), va_arg(args, long long));
      } else {
        std::snprintf(piece, sizeof piece, (directive + conversion).c_str(), va_arg(args, int));
      }
    } else if (std::string_view("feEgGaA").find(conversion) != std::string_view::npos) {
      std::snprintf(piece, sizeof piece, (directive + conversion).c_str(), va_arg(args, double));
    } else if (conversion == 'p') {
      std::snprintf(piece, sizeof piece, "%p", va_arg(args, void*));
    } else {
      std::snprintf(piece, sizeof piece, "%c", conversion);  // %% and what is not a conversion
    }
    out += piece;
  }
  return out;
}

// Trace lines come from any thread. A real host formats them into its log; this one shows errors.
class TraceLog : public IHostTraceLog {
 public:
  void TraceA(int32_t, int32_t level, const char* format, ...) override {
    if (level <= 2) {
      va_list args;
      va_start(args, format);
      Write(Format(format, false, args));
      va_end(args);
    }
  }
  void TraceW(int32_t, int32_t level, const char16_t* format, ...) override {
    if (level <= 2) {
      va_list args;
      va_start(args, format);
      Write(Format(Utf8(format), true, args));
      va_end(args);
    }
  }

 private:
  void Write(const std::string& line) {
    std::lock_guard<std::mutex> lock(lock_);
    std::fprintf(stderr, "module error: %s\n", line.c_str());
  }

  std::mutex lock_;
};

// The host tells the registered observer when the PC sleeps and wakes; this one never sleeps.
class PowerSource : public IPowerStateSource {
 public:
  bool RegisterObserver(IPowerStateObserver* observer) override {
    observer_ = observer;
    return true;
  }
  bool UnregisterObserver(IPowerStateObserver*) override {
    observer_ = nullptr;
    return true;
  }

 private:
  IPowerStateObserver* observer_ = nullptr;
};

std::string Narrow(const char16_t* text) {
  std::string narrow;
  for (std::size_t i = 0; i < kHostTextLength && text[i] != u'\0'; ++i) {
    narrow += text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
  }
  return narrow;
}

bool AttachAndWait(ICellularSDK& sdk, Sink& sink, const char* pin) {
  if (!sdk.Open() || !sink.WaitFor(WWAN_NOTIFICATION_SDK_INITIALIZING)) {
    return false;
  }
  // Attaching is asynchronous: the result arrives as a notification.
  if (!sdk.AttachToCellularDevice() || !sink.WaitFor(WWAN_NOTIFICATION_ATTACHED_TO_DEVICE)) {
    return false;
  }
  uintptr_t simStatus = 0;
  if (!sink.WaitFor(WWAN_NOTIFICATION_SIM_STATUS, &simStatus)) {
    return false;
  }
  if (simStatus == HOST_SIM_STATUS_LOCKED && !sdk.UnlockSim(pin)) {
    std::fprintf(stderr, "the SIM refused the PIN\n");
    return false;
  }
  if (simStatus == HOST_SIM_STATUS_MISSING) {
    std::fprintf(stderr, "no SIM\n");
    return false;
  }
  // Device information gathered and a usable service: Connect may now be called.
  if (!sink.WaitFor(WWAN_NOTIFICATION_READY_TO_CONNECT)) {
    return false;
  }
  CellularCardInfo info{};
  if (!sdk.GetCellularCardInfo(&info)) {
    return false;
  }
  std::printf("ready to connect: %s %s, firmware %s, network %s\n", Narrow(info.manufacturer).c_str(),
              Narrow(info.modelDescription).c_str(), Narrow(info.firmwareRevision).c_str(),
              Narrow(info.servingNetworkName).c_str());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const char* pin = argc > 1 ? argv[1] : "1234";
  // Never unmapped: the module may keep a timer thread of its own until the process ends.
  void* module = dlopen(VESK_MODULE, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  const auto construct =
      module != nullptr ? reinterpret_cast<ConstructSDKFn>(dlsym(module, "ConstructSDK")) : nullptr;
  if (construct == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", VESK_MODULE, dlerror());
    return 1;
  }
  // The three host objects must outlive the module's object.
  Sink sink;
  TraceLog traceLog;
  PowerSource powerSource;
  ICellularSDK* sdk = construct(&sink, &traceLog, &powerSource);
  if (sdk == nullptr) {
    return 1;
  }
  const bool ready = AttachAndWait(*sdk, sink, pin);
  sdk->Close();  // detaches; returns once the closing notifications are delivered
  sdk->Release();
  return ready ? 0 : 1;
}
