// A stand-in vendor library for the loader tests: every entry point of both generations records its
// name and arguments and returns 77. Plain C state only, so that closing its last handle unloads it.
#include <cstring>

#include "tests/facade/to_word.h"

namespace {

char lastName[64];
uintptr_t lastArgs[12];
int lastArgCount;
int callCount;
int* unloadCounter;

template <typename... A>
ULONG Record(const char* name, A... args) {
  std::strncpy(lastName, name, sizeof(lastName) - 1);
  const uintptr_t words[] = {0, facade_test::ToWord(args)...};
  lastArgCount = sizeof...(A);
  std::memcpy(lastArgs, words + 1, sizeof(uintptr_t) * sizeof...(A));
  ++callCount;
  return 77;
}

__attribute__((destructor)) void CountUnload() {
  if (unloadCounter != nullptr) {
    ++*unloadCounter;
  }
}

}  // namespace

#define DEFINE_COMMON(name, count)                  \
  ULONG name(VESK_PARAMS(name##_t, count)) {        \
    return Record(#name VESK_TRAILING_ARGS(count)); \
  }
#define DEFINE_OWN_2(name, count) DEFINE_COMMON(name, count)
#define DEFINE_OWN_1(name, count)  // the first generation's two share the second's exports
#define DEFINE_OWN(name, generation, exported, count) DEFINE_OWN_##generation(name, count)

extern "C" {
VESK_COMMON_ENTRY_POINTS(DEFINE_COMMON)
VESK_OWN_ENTRY_POINTS(DEFINE_OWN)

VESK_VENDOR_API int TestLibraryCallCount() {
  return callCount;
}
VESK_VENDOR_API int TestLibraryLastCall(const char** name, const uintptr_t** args) {
  *name = lastName;
  *args = lastArgs;
  return lastArgCount;
}
VESK_VENDOR_API void TestLibrarySetUnloadCounter(int* counter) {
  unloadCounter = counter;
}
}
