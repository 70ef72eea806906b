// The exported names of the vendor entry points, for checking the names that scenarios and the
// control interface use.
#pragma once

#include <string_view>

namespace vesksim {

// True for a name that either generation exports.
bool IsEntryPointName(std::string_view name);

}  // namespace vesksim
