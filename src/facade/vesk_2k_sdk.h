// The second-generation library (QCWWAN2k.dll): the common entry points plus its 60 own. The first
// generation's GetRFInfo1K and SetRFInfoCallback1K are refused with a warning and GENERAL_ERROR.
#pragma once

#include "facade/common_vesk_sdk.h"

namespace VeskSDKFacade {

class Vesk2KSDK : public CommonVeskSDK {
 public:
  explicit Vesk2KSDK(IHostTraceLog* logger);

  ULONG GetSDKGeneration() override;

#define VESK_DECLARE_OWN_SLOT(name, generation, exported, count) \
  ULONG name(VESK_PARAMS(name##_t, count)) override;
  VESK_OWN_ENTRY_POINTS(VESK_DECLARE_OWN_SLOT)
#undef VESK_DECLARE_OWN_SLOT

 protected:
  // Loads another file in place of QCWWAN2k.dll, for tests that use a stand-in library.
  Vesk2KSDK(const char* libraryFileName, IHostTraceLog* logger);

 private:
  enum class OwnSlot {
#define VESK_OWN_SLOT_ENUMERATOR(name, generation, exported, count) name,
    VESK_OWN_ENTRY_POINTS(VESK_OWN_SLOT_ENUMERATOR)
#undef VESK_OWN_SLOT_ENUMERATOR
  };

  void ResolveOwnEntryPoint(OwnSlot slot);
  ULONG RefuseFirstGeneration(const char* exportedName);

#define VESK_OWN_ADDRESS_2(name) name##_t name##_ = nullptr;
#define VESK_OWN_ADDRESS_1(name)
#define VESK_DECLARE_OWN_ADDRESS(name, generation, exported, count) VESK_OWN_ADDRESS_##generation(name)
  VESK_OWN_ENTRY_POINTS(VESK_DECLARE_OWN_ADDRESS)
#undef VESK_DECLARE_OWN_ADDRESS
#undef VESK_OWN_ADDRESS_1
#undef VESK_OWN_ADDRESS_2
};

}  // namespace VeskSDKFacade
