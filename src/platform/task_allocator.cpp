#include "platform/task_allocator.h"

#include <cstdlib>

namespace platform {

// A zero-byte request still yields a block the host can free, as the COM allocator does.
void* TaskMemAlloc(std::size_t size) {
  return std::malloc(size == 0 ? 1 : size);
}

void TaskMemFree(void* block) {
  std::free(block);
}

}  // namespace platform
