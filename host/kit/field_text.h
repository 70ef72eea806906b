// A text field of a host record as UTF-8.
#pragma once

#include <string>

#include "vesk/records.h"

namespace hostkit {

// Read no further than the field, even if the module left it unterminated.
std::string FieldText(const HostText& field);

}  // namespace hostkit
