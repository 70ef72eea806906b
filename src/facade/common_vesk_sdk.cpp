#include "facade/common_vesk_sdk.h"

#include <string>

#include "platform/dynamic_library.h"
#include "trace/trace.h"

namespace VeskSDKFacade {

CommonVeskSDK::CommonVeskSDK(const char* libraryFileName, IHostTraceLog* logger)
    : library_(std::make_unique<platform::DynamicLibrary>()), logger_(logger) {
  std::string reason;
  if (!library_->Load(libraryFileName, &reason)) {
    // Only a loaded library is ever unloaded.
    library_.reset();
    TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelWarning, "Could not load %hs", libraryFileName);
    // Where the file looked for is not the one named (libX.so for X.dll), the first line alone would
    // leave the reader guessing which file was missing and why.
    const std::string file = platform::DynamicLibrary::PlatformFileName(libraryFileName);
    if (file != libraryFileName) {
      TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelWarning, "Looked for %hs: %hs", file.c_str(),
                         reason.c_str());
    }
    return;
  }
#define VESK_RESOLVE_COMMON(name, count) name##_ = ResolveEntryPointAs<name##_t>(#name);
  VESK_COMMON_ENTRY_POINTS(VESK_RESOLVE_COMMON)
#undef VESK_RESOLVE_COMMON
}

CommonVeskSDK::~CommonVeskSDK() = default;

void* CommonVeskSDK::ResolveEntryPoint(const char* exportedName) {
  if (library_ == nullptr) {
    return nullptr;
  }
  void* address = library_->Symbol(exportedName);
  if (address == nullptr) {
    TraceNarrowMessage(logger_, kTraceCategory, kTraceLevelError, "Could not get addr of function %hs",
                       exportedName);
  }
  return address;
}

#define VESK_DEFINE_COMMON_SLOT(name, count)                  \
  ULONG CommonVeskSDK::name(VESK_PARAMS(name##_t, count)) {   \
    return CallEntryPoint(name##_ VESK_TRAILING_ARGS(count)); \
  }
VESK_COMMON_ENTRY_POINTS(VESK_DEFINE_COMMON_SLOT)
#undef VESK_DEFINE_COMMON_SLOT

#define VESK_DEFINE_WIDTH_NEUTRAL_SLOT(name, wideName, count)   \
  ULONG CommonVeskSDK::name(VESK_PARAMS(wideName##_t, count)) { \
    return wideName(VESK_ARGS(count));                          \
  }
VESK_WIDTH_NEUTRAL_OPERATIONS(VESK_DEFINE_WIDTH_NEUTRAL_SLOT)
#undef VESK_DEFINE_WIDTH_NEUTRAL_SLOT

}  // namespace VeskSDKFacade
