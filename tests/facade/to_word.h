// An argument of any entry point as the word a stand-in library or a fake generation records.
#pragma once

#include <type_traits>

#include "facade/vesk_sdk_interface.h"

namespace facade_test {

template <typename T>
uintptr_t ToWord(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<uintptr_t>(value);
  } else {
    return static_cast<uintptr_t>(value);
  }
}

}  // namespace facade_test
