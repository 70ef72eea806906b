// One row per slot of the facade's table: how to call it with distinct arguments (pointers nothing
// may dereference, small integers), which library export it must reach, and its arguments as words.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

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

template <typename F>
struct Args;
template <typename... A>
struct Args<ULONG (*)(A...)> {
  template <typename T>
  static T Distinct(std::size_t i) {
    if constexpr (std::is_pointer_v<T>) {
      return reinterpret_cast<T>(uintptr_t{0x5000} + 0x10 * i);
    } else {
      return static_cast<T>(0x40 + i);
    }
  }
  template <std::size_t... I>
  static std::tuple<A...> Make(std::index_sequence<I...>) {
    return {Distinct<A>(I)...};
  }
  static std::tuple<A...> Make() { return Make(std::index_sequence_for<A...>{}); }
  static std::vector<uintptr_t> Words() {
    return std::apply([](auto... a) { return std::vector<uintptr_t>{ToWord(a)...}; }, Make());
  }
};

// Calls target.name with distinct arguments of entry-point type F.
#define FACADE_TEST_CALL(Target, name, F)                                                                \
  [](Target& target) {                                                                                   \
    return std::apply([&target](auto... a) { return target.name(a...); }, facade_test::Args<F>::Make()); \
  }

struct SlotCase {
  std::string name;
  std::string exported;  // the library function it reaches
  ULONG generation;      // 0: both generations
  std::function<ULONG(VeskSDKFacade::IVeskSDK&)> call;
  std::vector<uintptr_t> words;
};
inline void PrintTo(const SlotCase& slot, std::ostream* os) {
  *os << slot.name;
}

#define FACADE_TEST_SLOT(name, exported, generation, F)                                      \
  SlotCase{#name, #exported, generation, FACADE_TEST_CALL(VeskSDKFacade::IVeskSDK, name, F), \
           Args<F>::Words()},
#define FACADE_TEST_COMMON(name, count) FACADE_TEST_SLOT(name, name, 0, name##_t)
#define FACADE_TEST_OWN(name, generation, exported, count) \
  FACADE_TEST_SLOT(name, exported, generation, name##_t)
#define FACADE_TEST_NEUTRAL(name, wide, count) FACADE_TEST_SLOT(name, wide, 0, wide##_t)

// Every slot; UpgradeFirmware2k reaches a second-generation export.
inline std::vector<SlotCase> AllSlotCases() {
  std::vector<SlotCase> slots{VESK_COMMON_ENTRY_POINTS(FACADE_TEST_COMMON) VESK_OWN_ENTRY_POINTS(
      FACADE_TEST_OWN) VESK_WIDTH_NEUTRAL_OPERATIONS(FACADE_TEST_NEUTRAL)};
  for (auto& slot : slots) {
    if (slot.name == "UpgradeFirmware2k") {
      slot.generation = VeskSDKFacade::SDK_2000;
    }
  }
  return slots;
}

}  // namespace facade_test
