// The simulator's scenario parser on any text: it either fills the scenario or names a line of the
// text with a message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/scenario_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  vesksim::Scenario scenario;
  const vesksim::ParseError error = vesksim::ParseScenario(text, scenario);
  if (error.line < 0 || (error.line > 0 && error.message.empty()) || (error.line == 0 && !error.message.empty())) {
    std::abort();
  }
  return 0;
}
