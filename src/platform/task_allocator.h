// Memory handed to the host inside notification payloads. The host frees it with CoTaskMemFree
// (an inline std::free of the host contract), so this must stay the C heap.
#pragma once

#include <cstddef>

namespace platform {

void* TaskMemAlloc(std::size_t size);
void TaskMemFree(void* block);

}  // namespace platform
