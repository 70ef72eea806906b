// Turns an entry point's parameters into a recording's values and back. The recorder encodes a call
// once the library returned; the replay writes the recorded out-values into the caller's buffers,
// never more than the caller's own sizes allow. Parameters are told apart by their C types; the few
// arrays, whose lengths another parameter gives, and the secrets are listed by entry point.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "facade/vendor_api.h"
#include "sim/recording/recording.h"

namespace veskrec {

enum class ArgType : uint8_t {
  kByte,
  kInt8,
  kWord,
  kUlong,
  kUintptr,
  kText,      // const char*
  kWideText,  // const WCHAR*
  kByteOut,
  kInt8Out,
  kWordOut,
  kUlongOut,
  kTextOut,      // char*, its size the parameter before
  kWideTextOut,  // WCHAR*, likewise
  kFunction,
};

// One parameter, type-erased.
struct Arg {
  ArgType type;
  uint64_t value;  // by-value parameters
  void* pointer;   // pointer parameters
};

template <typename T>
Arg ToArg(T v) {
  if constexpr (std::is_same_v<T, BYTE>) {
    return {ArgType::kByte, v, nullptr};
  } else if constexpr (std::is_same_v<T, INT8>) {
    return {ArgType::kInt8, static_cast<uint64_t>(static_cast<int64_t>(v)), nullptr};
  } else if constexpr (std::is_same_v<T, WORD>) {
    return {ArgType::kWord, v, nullptr};
  } else if constexpr (std::is_same_v<T, ULONG>) {
    return {ArgType::kUlong, v, nullptr};
  } else if constexpr (std::is_same_v<T, uintptr_t>) {
    return {ArgType::kUintptr, v, nullptr};
  } else if constexpr (std::is_same_v<T, const char*>) {
    return {ArgType::kText, 0, const_cast<char*>(v)};
  } else if constexpr (std::is_same_v<T, const WCHAR*>) {
    return {ArgType::kWideText, 0, const_cast<WCHAR*>(v)};
  } else if constexpr (std::is_same_v<T, BYTE*>) {
    return {ArgType::kByteOut, 0, v};
  } else if constexpr (std::is_same_v<T, INT8*>) {
    return {ArgType::kInt8Out, 0, v};
  } else if constexpr (std::is_same_v<T, WORD*>) {
    return {ArgType::kWordOut, 0, v};
  } else if constexpr (std::is_same_v<T, ULONG*>) {
    return {ArgType::kUlongOut, 0, v};
  } else if constexpr (std::is_same_v<T, char*>) {
    return {ArgType::kTextOut, 0, v};
  } else if constexpr (std::is_same_v<T, WCHAR*>) {
    return {ArgType::kWideTextOut, 0, v};
  } else {
    static_assert(std::is_pointer_v<T> && std::is_function_v<std::remove_pointer_t<T>>, "unknown parameter type");
    return {ArgType::kFunction, v == nullptr ? 0u : 1u, reinterpret_cast<void*>(v)};
  }
}

// The array sizes a call's caller offered, read before the call: the library overwrites them.
struct Capacities {
  uint32_t of[12] = {};
};

void ReadCapacities(std::string_view entryPoint, const Arg* args, size_t count, Capacities& capacities);

// The parameters as they stand after the call. Secrets become Value::Secret().
std::vector<Value> EncodeCall(std::string_view entryPoint, const Arg* args, size_t count,
                              const Capacities& capacities);

// Whether the caller's inputs are the recorded ones: numbers and narrow texts passed in; pointers,
// pointer-sized integers, text buffer sizes, paths and secrets are not compared.
bool InputsMatch(const Arg* args, size_t count, const std::vector<Value>& recorded);

// Writes the recorded out-values into the caller's buffers (never past its sizes).
void ApplyOutputs(std::string_view entryPoint, const Arg* args, size_t count, const std::vector<Value>& recorded);

// The callback name a registration entry point sets ("SetSessionStateCallback" -> "SessionState"); empty
// for the others and for the registrations whose callbacks are not recorded.
std::string_view CallbackOfRegistration(std::string_view entryPoint);

}  // namespace veskrec
