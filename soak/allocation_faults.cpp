#include "allocation_faults.h"

#include <cstdlib>
#include <new>

namespace {

thread_local int tFailIn = 0;

void* Allocate(std::size_t size) {
  if (tFailIn > 0 && --tFailIn == 0) {
    return nullptr;
  }
  return std::malloc(size != 0 ? size : 1);
}

}  // namespace

namespace soak {

void FailAllocationOnThisThread(int n) {
  tFailIn = n;
}

}  // namespace soak

void* operator new(std::size_t size) {
  if (void* memory = Allocate(size)) {
    return memory;
  }
  throw std::bad_alloc();
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size);
}

void operator delete(void* memory) noexcept {
  std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
  std::free(memory);
}
