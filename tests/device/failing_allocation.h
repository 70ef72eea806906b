// Fails chosen allocations of the calling thread, to show what a failed allocation does on a path.
// Linking failing_allocation.cpp replaces the global operator new and delete of the whole binary;
// unarmed, they behave as the library's own.
#pragma once

namespace failing_allocation {

// From now on, the n-th allocation (1 for the next) of this thread throws std::bad_alloc (or gives
// null for the nothrow form); 0 disarms. Counting goes on after the failure until Disarm.
void FailNth(int n);
// Disarms, returning how many allocations this thread made since FailNth.
int Disarm();

}  // namespace failing_allocation
