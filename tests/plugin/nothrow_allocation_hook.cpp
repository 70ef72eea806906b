#include "nothrow_allocation_hook.h"

#include <new>
#include <utility>

namespace {

thread_local std::function<void()> tAction;

}  // namespace

namespace nothrow_allocation_hook {

void BeforeNext(std::function<void()> action) {
  tAction = std::move(action);
}

}  // namespace nothrow_allocation_hook

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (tAction) {
    // Taken first: the action's own allocations do not run it again.
    const std::function<void()> action = std::move(tAction);
    tAction = nullptr;
    action();
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
