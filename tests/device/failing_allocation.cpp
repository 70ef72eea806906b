#include "failing_allocation.h"

#include <cstdlib>
#include <new>

namespace {

thread_local bool tArmed = false;
thread_local int tFailAt = 0;
thread_local int tCount = 0;

void* Allocate(std::size_t size) {
  if (tArmed && ++tCount == tFailAt) {
    return nullptr;
  }
  return std::malloc(size != 0 ? size : 1);
}

}  // namespace

namespace failing_allocation {

void FailNth(int n) {
  tArmed = true;
  tFailAt = n;
  tCount = 0;
}

int Disarm() {
  tArmed = false;
  return tCount;
}

}  // namespace failing_allocation

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
