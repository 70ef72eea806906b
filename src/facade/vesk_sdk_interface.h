// The table through which the facade calls one generation of the vendor library.
//
// Slot order: GetSDKGeneration; the entry points of both generations (VESK_COMMON_ENTRY_POINTS);
// each generation's own (VESK_OWN_ENTRY_POINTS); the five width-neutral names; the destructor. Every
// entry-point operation has its entry point's name and parameters (see vendor_api.h) and returns its
// vendor result. Implementations must accept calls from any thread.
#pragma once

#include "facade/entry_point_params.h"
#include "facade/vendor_api.h"

namespace VeskSDKFacade {

// The connection state of GenericVeskSDK; SDK_1000 and SDK_2000 are also the generations' numbers.
enum : ULONG {
  NO_SDK_CONNECTED = 0,
  SDK_1000 = 1,
  SDK_2000 = 2,
};

// X(name, wideName, parameterCount): names that do not say their text width; each calls its wide
// operation through the table, so a generation's own wide operation is the one used.
#define VESK_WIDTH_NEUTRAL_OPERATIONS(X)      \
  X(GetFirmwareID, GetFirmwareIDW, 2)         \
  X(UpgradeFirmware, UpgradeFirmwareW, 2)     \
  X(UpgradeFirmware2k, UpgradeFirmware2kW, 1) \
  X(GetImageInfo, GetImageInfoW, 6)           \
  X(GetImageStore, GetImageStoreW, 2)

class IVeskSDK {
 public:
  // SDK_1000 or SDK_2000.
  virtual ULONG GetSDKGeneration() = 0;

#define VESK_DECLARE_COMMON_SLOT(name, count) virtual ULONG name(VESK_PARAMS(name##_t, count)) = 0;
#define VESK_DECLARE_OWN_SLOT(name, generation, exported, count) \
  virtual ULONG name(VESK_PARAMS(name##_t, count)) = 0;
#define VESK_DECLARE_WIDTH_NEUTRAL_SLOT(name, wideName, count) \
  virtual ULONG name(VESK_PARAMS(wideName##_t, count)) = 0;
  VESK_COMMON_ENTRY_POINTS(VESK_DECLARE_COMMON_SLOT)
  VESK_OWN_ENTRY_POINTS(VESK_DECLARE_OWN_SLOT)
  VESK_WIDTH_NEUTRAL_OPERATIONS(VESK_DECLARE_WIDTH_NEUTRAL_SLOT)
#undef VESK_DECLARE_COMMON_SLOT
#undef VESK_DECLARE_OWN_SLOT
#undef VESK_DECLARE_WIDTH_NEUTRAL_SLOT

  virtual ~IVeskSDK() = default;
};

}  // namespace VeskSDKFacade
