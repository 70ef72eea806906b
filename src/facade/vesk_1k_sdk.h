// The first-generation library (QCWWAN.dll). Its only own entry points are GetRFInfo and
// SetRFInfoCallback; every second-generation operation is refused with a warning and GENERAL_ERROR.
#pragma once

#include "facade/common_vesk_sdk.h"

namespace VeskSDKFacade {

class Vesk1KSDK : public CommonVeskSDK {
 public:
  explicit Vesk1KSDK(IHostTraceLog* logger);

  ULONG GetSDKGeneration() override;

#define VESK_DECLARE_OWN_SLOT(name, generation, exported, count) \
  ULONG name(VESK_PARAMS(name##_t, count)) override;
  VESK_OWN_ENTRY_POINTS(VESK_DECLARE_OWN_SLOT)
#undef VESK_DECLARE_OWN_SLOT

 protected:
  // Loads another file in place of QCWWAN.dll, for tests that use a stand-in library.
  Vesk1KSDK(const char* libraryFileName, IHostTraceLog* logger);

 private:
  ULONG RefuseSecondGeneration(const char* exportedName);

  GetRFInfo1K_t GetRFInfo1K_ = nullptr;
  SetRFInfoCallback1K_t SetRFInfoCallback1K_ = nullptr;
};

}  // namespace VeskSDKFacade
