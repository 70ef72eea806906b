#include "facade/vesk_2k_sdk.h"

#include "trace/trace.h"

namespace VeskSDKFacade {

Vesk2KSDK::Vesk2KSDK(IHostTraceLog* logger) : Vesk2KSDK("QCWWAN2k.dll", logger) {}

Vesk2KSDK::Vesk2KSDK(const char* libraryFileName, IHostTraceLog* logger)
    : CommonVeskSDK(libraryFileName, logger) {
  // The order in which missing names are reported: connection first, and the two names the first
  // generation shares placed where that generation's tables put them.
  for (OwnSlot slot :
       {OwnSlot::QCWWAN2kEnumerateDevices, OwnSlot::QCWWAN2kConnect, OwnSlot::QCWWAN2kGetConnectedDeviceID,
        OwnSlot::GetIPAddress, OwnSlot::GetMobileIPProfile2, OwnSlot::GetRFInfo}) {
    ResolveOwnEntryPoint(slot);
  }
  for (int slot = static_cast<int>(OwnSlot::PerformNetworkScan);
       slot <= static_cast<int>(OwnSlot::SetPowerCallback); ++slot) {
    ResolveOwnEntryPoint(static_cast<OwnSlot>(slot));
  }
  ResolveOwnEntryPoint(OwnSlot::SetRFInfoCallback);
  for (int slot = static_cast<int>(OwnSlot::SetLURejectCallback);
       slot <= static_cast<int>(OwnSlot::SetDeviceRemovalCallback); ++slot) {
    ResolveOwnEntryPoint(static_cast<OwnSlot>(slot));
  }
}

ULONG Vesk2KSDK::GetSDKGeneration() {
  return SDK_2000;
}

void Vesk2KSDK::ResolveOwnEntryPoint(OwnSlot slot) {
#define VESK_RESOLVE_OWN_2(name, exported)              \
  case OwnSlot::name:                                   \
    name##_ = ResolveEntryPointAs<name##_t>(#exported); \
    break;
#define VESK_RESOLVE_OWN_1(name, exported) \
  case OwnSlot::name:                      \
    break;
#define VESK_RESOLVE_OWN(name, generation, exported, count) VESK_RESOLVE_OWN_##generation(name, exported)
  switch (slot) { VESK_OWN_ENTRY_POINTS(VESK_RESOLVE_OWN) }
#undef VESK_RESOLVE_OWN
#undef VESK_RESOLVE_OWN_1
#undef VESK_RESOLVE_OWN_2
}

ULONG Vesk2KSDK::RefuseFirstGeneration(const char* exportedName) {
  TraceNarrowMessage(logger(), kTraceCategory, kTraceLevelWarning, "Calling 1K function %hs from Vesk2K SDK",
                     exportedName);
  return GENERAL_ERROR;
}

#define VESK_OWN_SLOT_BODY_2(name, exported, count) CallEntryPoint(name##_ VESK_TRAILING_ARGS(count))
#define VESK_OWN_SLOT_BODY_1(name, exported, count) RefuseFirstGeneration(#exported)
#define VESK_DEFINE_OWN_SLOT(name, generation, exported, count)    \
  ULONG Vesk2KSDK::name(VESK_PARAMS(name##_t, count)) {            \
    return VESK_OWN_SLOT_BODY_##generation(name, exported, count); \
  }
VESK_OWN_ENTRY_POINTS(VESK_DEFINE_OWN_SLOT)
#undef VESK_DEFINE_OWN_SLOT
#undef VESK_OWN_SLOT_BODY_1
#undef VESK_OWN_SLOT_BODY_2

}  // namespace VeskSDKFacade
