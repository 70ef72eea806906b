// Failed allocations on a chosen thread, for the soak's vendor callbacks. Linking
// allocation_faults.cpp replaces the process's global operator new and delete; unarmed they behave
// as the library's own.
#pragma once

namespace soak {

// The n-th allocation (1 for the next) of the calling thread fails, once; 0 disarms.
void FailAllocationOnThisThread(int n);

}  // namespace soak
