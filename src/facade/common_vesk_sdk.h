// One generation's vendor library, loaded by file name, with the entry points both generations share.
//
// A file that cannot be loaded or a name it does not export is not fatal: it is traced once, at
// construction, and each unresolved operation returns GENERAL_ERROR without touching its arguments.
// Nothing here locks or changes after construction, so operations may be called from any thread;
// GenericVeskSDK serialises them.
#pragma once

#include <memory>

#include "facade/vesk_sdk_interface.h"

class IHostTraceLog;

namespace platform {
class DynamicLibrary;
}

namespace VeskSDKFacade {

class CommonVeskSDK : public IVeskSDK {
 public:
  CommonVeskSDK(const CommonVeskSDK&) = delete;
  CommonVeskSDK& operator=(const CommonVeskSDK&) = delete;
  ~CommonVeskSDK() override;

#define VESK_DECLARE_COMMON_SLOT(name, count) ULONG name(VESK_PARAMS(name##_t, count)) override;
#define VESK_DECLARE_WIDTH_NEUTRAL_SLOT(name, wideName, count) \
  ULONG name(VESK_PARAMS(wideName##_t, count)) override;
  VESK_COMMON_ENTRY_POINTS(VESK_DECLARE_COMMON_SLOT)
  VESK_WIDTH_NEUTRAL_OPERATIONS(VESK_DECLARE_WIDTH_NEUTRAL_SLOT)
#undef VESK_DECLARE_COMMON_SLOT
#undef VESK_DECLARE_WIDTH_NEUTRAL_SLOT

 protected:
  // libraryFileName is the Windows-style name ("QCWWAN2k.dll"); logger is not owned and may be null.
  CommonVeskSDK(const char* libraryFileName, IHostTraceLog* logger);

  // The address of an exported name, or null. A name missing from a loaded library is traced as an
  // error; nothing is traced when the library itself is not loaded.
  void* ResolveEntryPoint(const char* exportedName);

  template <typename F>
  F ResolveEntryPointAs(const char* exportedName) {
    return reinterpret_cast<F>(ResolveEntryPoint(exportedName));
  }

  // Calls entryPoint with args, or returns GENERAL_ERROR when it was not resolved.
  template <typename F, typename... Args>
  static ULONG CallEntryPoint(F entryPoint, Args... args) {
    if (entryPoint == nullptr) {
      return GENERAL_ERROR;
    }
    return entryPoint(args...);
  }

  IHostTraceLog* logger() const {
    return logger_;
  }

 private:
  std::unique_ptr<platform::DynamicLibrary> library_;  // null when the file could not be loaded
  IHostTraceLog* logger_;

#define VESK_DECLARE_COMMON_ADDRESS(name, count) name##_t name##_ = nullptr;
  VESK_COMMON_ENTRY_POINTS(VESK_DECLARE_COMMON_ADDRESS)
#undef VESK_DECLARE_COMMON_ADDRESS
};

}  // namespace VeskSDKFacade
