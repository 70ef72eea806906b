// The recorder's entry points, made from the same lists as the simulator's; each generation's file
// exports its own names only (the simulator's version scripts, less the control interface).
#include "facade/entry_point_params.h"
#include "facade/vendor_api.h"
#include "sim/recording/recorder.h"

#define VESK_RECORDER_ENTRY(name, count)                                                   \
  extern "C" VESK_VENDOR_API ULONG name(VESK_PARAMS(name##_t, count)) {                    \
    return veskrec::Forwarder<name##_t>::Call(#name VESK_TRAILING_ARGS(count));            \
  }
// Rows of generation 1 repeat an export of generation 2 under another table name.
#define VESK_RECORDER_OWN_2(name, count) VESK_RECORDER_ENTRY(name, count)
#define VESK_RECORDER_OWN_1(name, count)
#define VESK_RECORDER_OWN(name, generation, exported, count) VESK_RECORDER_OWN_##generation(exported, count)

VESK_COMMON_ENTRY_POINTS(VESK_RECORDER_ENTRY)
VESK_OWN_ENTRY_POINTS(VESK_RECORDER_OWN)
