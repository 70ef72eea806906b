// The exported entry points: each answers from the replay when one is in force, else from the
// modelled modem. The model's own definitions carry a VeskSimImpl_ prefix (the build renames them in
// every other file of the simulator), so that no entry point is written twice.
#include <type_traits>

#include "facade/entry_point_params.h"
#include "facade/vendor_api.h"
#include "sim/recording/call_codec.h"
#include "sim/simulator.h"

namespace {

template <typename F>
struct Answer;

template <typename... A>
struct Answer<ULONG (*)(A...)> {
  static ULONG FromReplay(vesksim::Simulator& sim, const char* name, A... a) {
    const veskrec::Arg args[sizeof...(A) + 1] = {veskrec::ToArg(a)..., veskrec::Arg{veskrec::ArgType::kUintptr, 0, nullptr}};
    return sim.ReplayCall(name, args, sizeof...(A));
  }
};

}  // namespace

#define VESK_SIM_DECLARE_MODEL(name, count) extern "C" std::remove_pointer_t<name##_t> VeskSimImpl_##name;
#define VESK_SIM_ENTRY(name, count)                                                              \
  extern "C" VESK_VENDOR_API ULONG name(VESK_PARAMS(name##_t, count)) {                          \
    vesksim::Simulator& sim = vesksim::Simulator::Get();                                         \
    if (sim.Replaying()) {                                                                       \
      return Answer<name##_t>::FromReplay(sim, #name VESK_TRAILING_ARGS(count));                 \
    }                                                                                            \
    return VeskSimImpl_##name(VESK_ARGS(count));                                                 \
  }
// Rows of generation 1 repeat an export of generation 2 under another table name.
#define VESK_SIM_OWN_DECLARE_2(name, count) VESK_SIM_DECLARE_MODEL(name, count)
#define VESK_SIM_OWN_DECLARE_1(name, count)
#define VESK_SIM_OWN_DECLARE(name, generation, exported, count) VESK_SIM_OWN_DECLARE_##generation(exported, count)
#define VESK_SIM_OWN_ENTRY_2(name, count) VESK_SIM_ENTRY(name, count)
#define VESK_SIM_OWN_ENTRY_1(name, count)
#define VESK_SIM_OWN_ENTRY(name, generation, exported, count) VESK_SIM_OWN_ENTRY_##generation(exported, count)

VESK_COMMON_ENTRY_POINTS(VESK_SIM_DECLARE_MODEL)
VESK_OWN_ENTRY_POINTS(VESK_SIM_OWN_DECLARE)
VESK_COMMON_ENTRY_POINTS(VESK_SIM_ENTRY)
VESK_OWN_ENTRY_POINTS(VESK_SIM_OWN_ENTRY)
