// The recording vendor library: exports one generation's entry points, forwards each call to the real
// library and each callback to the module, unchanged, and appends both to a recording.
//
// The real library is the file named by VESK_REAL_QCWWAN2K (VESK_REAL_QCWWAN for the first
// generation), else QCWWAN2k.real.dll (libQCWWAN2k.real.so) found as the module finds its library, the
// recorder's own folder included. The recording goes to VESK_RECORD_FILE ("%p" there becomes the
// process ID), else to vesk-recording-GENERATION-PID.txt in the temporary folder. Each event is handed
// to the system as one write when it happens, so a crash loses nothing that came before it.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "facade/vendor_api.h"
#include "platform/dynamic_library.h"
#include "sim/recording/call_codec.h"

namespace veskrec {

// 1000 or 2000 for the file it is built into.
uint32_t RecorderGeneration();

class Recorder {
 public:
  static Recorder& Get();

  Recorder();
  ~Recorder();
  Recorder(const Recorder&) = delete;
  Recorder& operator=(const Recorder&) = delete;

  // The real library's export of that name; null when it or the library is missing.
  void* Real(const char* name);

  // Microseconds on the steady clock.
  static int64_t Now();

  void Call(const char* name, const Arg* args, size_t count, const Capacities& capacities, ULONG result,
            int64_t startUs);
  void Callback(std::string_view name, const std::vector<Value>& values);

  // What the real library is given in place of the module's callback: null for null, else a trampoline
  // that records and calls the module's. Registrations of unrecorded callbacks pass theirs unchanged.
  void* Wrap(std::string_view entryPoint, void* moduleCallback);

 private:
  void Load();
  void Append(std::string_view line);  // recordLock_ held

  std::once_flag loaded_;
  platform::DynamicLibrary real_;
  std::string loadError_;

  std::mutex recordLock_;
  std::FILE* file_ = nullptr;
  bool opened_ = false;
  int64_t originUs_ = -1;
};

// The exported entry points' body: records around the real call.
template <typename F>
struct Forwarder;

template <typename... A>
struct Forwarder<ULONG (*)(A...)> {
  template <typename T>
  static T Substitute(const char* name, T value) {
    if constexpr (std::is_pointer_v<T> && std::is_function_v<std::remove_pointer_t<T>>) {
      return reinterpret_cast<T>(Recorder::Get().Wrap(name, reinterpret_cast<void*>(value)));
    } else {
      (void)name;
      return value;
    }
  }

  static ULONG Call(const char* name, A... a) {
    Recorder& recorder = Recorder::Get();
    const auto real = reinterpret_cast<ULONG (*)(A...)>(recorder.Real(name));
    const Arg args[sizeof...(A) + 1] = {ToArg(a)..., Arg{ArgType::kUintptr, 0, nullptr}};
    Capacities capacities;
    ReadCapacities(name, args, sizeof...(A), capacities);
    const int64_t start = Recorder::Now();
    const ULONG result = real == nullptr ? GENERAL_ERROR : real(Substitute(name, a)...);
    recorder.Call(name, args, sizeof...(A), capacities, result, start);
    return result;
  }
};

}  // namespace veskrec
