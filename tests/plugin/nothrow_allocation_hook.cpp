#include "nothrow_allocation_hook.h"

#include <memory>
#include <new>
#include <utility>

namespace {

// A pointer, not the function itself: every thread of the binary reaches this variable, and in the
// mingw build (under Wine) a thread-local with a destructor crashed now and then at thread exit,
// destroyed after its storage had been freed.
thread_local std::function<void()>* tAction = nullptr;

}  // namespace

namespace nothrow_allocation_hook {

void BeforeNext(std::function<void()> action) {
  delete tAction;
  tAction = new std::function<void()>(std::move(action));
}

}  // namespace nothrow_allocation_hook

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  if (tAction != nullptr) {
    // Taken first: the action's own allocations do not run it again.
    const std::unique_ptr<std::function<void()>> action(std::exchange(tAction, nullptr));
    (*action)();
  }
  try {
    return ::operator new(size);
  } catch (...) {
    return nullptr;
  }
}
