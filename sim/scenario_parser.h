// Reads the simulator's scenario format (described with every key in docs/simulator.md): sections in
// brackets, "key = value" lines, "#" comment lines, hex PDUs. Sections that describe a modem apply to
// the modem of the last [modem] header, or to the first modem before any.
#pragma once

#include <string>
#include <string_view>

#include "sim/scenario.h"

namespace vesksim {

struct ParseError {
  int line = 0;  // 1-based; 0 when there was no error
  std::string message;
};

// Fills scenario (which starts as the built-in default) from text. On an error the scenario is
// incomplete and must not be used.
ParseError ParseScenario(std::string_view text, Scenario& scenario);

}  // namespace vesksim
