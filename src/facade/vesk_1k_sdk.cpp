#include "facade/vesk_1k_sdk.h"

#include "trace/trace.h"

namespace VeskSDKFacade {

Vesk1KSDK::Vesk1KSDK(IHostTraceLog* logger) : Vesk1KSDK("QCWWAN.dll", logger) {}

Vesk1KSDK::Vesk1KSDK(const char* libraryFileName, IHostTraceLog* logger)
    : CommonVeskSDK(libraryFileName, logger) {
  GetRFInfo1K_ = ResolveEntryPointAs<GetRFInfo1K_t>("GetRFInfo");
  SetRFInfoCallback1K_ = ResolveEntryPointAs<SetRFInfoCallback1K_t>("SetRFInfoCallback");
}

ULONG Vesk1KSDK::GetSDKGeneration() {
  return SDK_1000;
}

ULONG Vesk1KSDK::RefuseSecondGeneration(const char* exportedName) {
  TraceNarrowMessage(logger(), kTraceCategory, kTraceLevelWarning, "Calling 2K function %hs from Vesk1K SDK",
                     exportedName);
  return GENERAL_ERROR;
}

#define VESK_OWN_SLOT_BODY_1(name, exported, count) CallEntryPoint(name##_ VESK_TRAILING_ARGS(count))
#define VESK_OWN_SLOT_BODY_2(name, exported, count) RefuseSecondGeneration(#exported)
#define VESK_DEFINE_OWN_SLOT(name, generation, exported, count)    \
  ULONG Vesk1KSDK::name(VESK_PARAMS(name##_t, count)) {            \
    return VESK_OWN_SLOT_BODY_##generation(name, exported, count); \
  }
VESK_OWN_ENTRY_POINTS(VESK_DEFINE_OWN_SLOT)
#undef VESK_DEFINE_OWN_SLOT
#undef VESK_OWN_SLOT_BODY_1
#undef VESK_OWN_SLOT_BODY_2

}  // namespace VeskSDKFacade
