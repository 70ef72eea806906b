// Test-only: the threads of this process by id, with their state ('S' blocked, 'R' runnable) and
// their context switches so far, to tell blocked threads from polling ones.
#pragma once

#include <cstdint>
#include <map>
#include <utility>

namespace platform::test {

std::map<int, std::pair<char, uint64_t>> ThreadCensus();

}  // namespace platform::test
