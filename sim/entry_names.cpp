#include "sim/entry_names.h"

#include <algorithm>
#include <array>

#include "facade/vendor_api.h"

namespace vesksim {
namespace {

#define VESK_SIM_COMMON_NAME(name, count) #name,
#define VESK_SIM_OWN_NAME(name, generation, exported, count) #exported,
constexpr std::array kNames = {VESK_COMMON_ENTRY_POINTS(VESK_SIM_COMMON_NAME)
                                   VESK_OWN_ENTRY_POINTS(VESK_SIM_OWN_NAME)};
#undef VESK_SIM_COMMON_NAME
#undef VESK_SIM_OWN_NAME

}  // namespace

bool IsEntryPointName(std::string_view name) {
  return std::any_of(kNames.begin(), kNames.end(), [name](const char* known) { return name == known; });
}

}  // namespace vesksim
