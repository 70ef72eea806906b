// Runs an action on the calling thread just before its next nothrow allocation (new (std::nothrow)):
// a way into the moment between two steps of the code under test. Linking nothrow_allocation_hook.cpp
// replaces the global nothrow operator new of the whole binary; with no action set it allocates as
// the library's own.
#pragma once

#include <functional>

namespace nothrow_allocation_hook {

void BeforeNext(std::function<void()> action);

}  // namespace nothrow_allocation_hook
