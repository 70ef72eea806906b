// Built once per library file; the build says which generation this copy answers as.
#include "sim/simulator.h"

#ifndef VESK_SIM_GENERATION
#error "VESK_SIM_GENERATION must be 1000 or 2000"
#endif

namespace vesksim {

uint32_t LibraryGeneration() {
  return VESK_SIM_GENERATION;
}

}  // namespace vesksim
