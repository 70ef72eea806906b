// This file must contain only Win32 code.
#include "platform/task_allocator.h"

#include <objbase.h>

namespace platform {

// The COM task allocator, which the host frees with CoTaskMemFree. A zero-byte request still yields
// a block the host can free.
void* TaskMemAlloc(std::size_t size) {
  return CoTaskMemAlloc(size == 0 ? 1 : size);
}

void TaskMemFree(void* block) {
  CoTaskMemFree(block);
}

}  // namespace platform
