#include "sim/recording/call_codec.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace veskrec {

namespace {

// An array parameter and the parameter that gives its length (a size passed in, or a size the caller
// offers and the library overwrites), in elements of perCount items each.
struct ArrayRule {
  const char* entryPoint;
  int array;
  int length;
  int perCount;
};

constexpr ArrayRule kArrays[] = {
    {"QCWWAN2kEnumerateDevices", 1, 0, static_cast<int>(sizeof(VendorDeviceRecord))},
    {"GetSignalStrengths", 1, 0, 1},
    {"GetSignalStrengths", 2, 0, 1},
    {"GetServingNetwork", 5, 4, 1},
    {"GetServingNetworkCapabilities", 1, 0, 1},
    {"GetSMSList", 3, 2, 2},
    {"GetSMS", 5, 4, 1},
    {"SetSignalStrengthCallback", 2, 1, 1},
};

struct Secret {
  const char* entryPoint;
  int parameter;
};

// PINs, passwords and the service programming code never reach a recording.
constexpr Secret kSecrets[] = {
    {"UIMVerifyPIN", 1}, {"SetLock", 1}, {"StartDataSession", 9}, {"SetDefaultProfile", 9},
    {"ResetToFactoryDefaults", 0},
};

constexpr size_t kMaxText = 4096;
constexpr size_t kMaxItems = 65536;

const ArrayRule* ArrayOf(std::string_view entryPoint, size_t parameter) {
  for (const ArrayRule& rule : kArrays) {
    if (entryPoint == rule.entryPoint && static_cast<size_t>(rule.array) == parameter) {
      return &rule;
    }
  }
  return nullptr;
}

bool IsLengthOfArray(std::string_view entryPoint, size_t parameter) {
  return std::any_of(std::begin(kArrays), std::end(kArrays), [&](const ArrayRule& rule) {
    return entryPoint == rule.entryPoint && static_cast<size_t>(rule.length) == parameter;
  });
}

bool IsSecret(std::string_view entryPoint, size_t parameter) {
  return std::any_of(std::begin(kSecrets), std::end(kSecrets), [&](const Secret& secret) {
    return entryPoint == secret.entryPoint && static_cast<size_t>(secret.parameter) == parameter;
  });
}

bool IsByValue(ArgType type) {
  return type <= ArgType::kUintptr;
}

uint64_t ReadScalar(const Arg& arg) {
  switch (arg.type) {
    case ArgType::kByteOut:
      return *static_cast<const BYTE*>(arg.pointer);
    case ArgType::kInt8Out:
      return static_cast<uint64_t>(static_cast<int64_t>(*static_cast<const INT8*>(arg.pointer)));
    case ArgType::kWordOut:
      return *static_cast<const WORD*>(arg.pointer);
    case ArgType::kUlongOut:
      return *static_cast<const ULONG*>(arg.pointer);
    default:
      return 0;
  }
}

void WriteScalar(const Arg& arg, int64_t value) {
  switch (arg.type) {
    case ArgType::kByteOut:
      *static_cast<BYTE*>(arg.pointer) = static_cast<BYTE>(value);
      break;
    case ArgType::kInt8Out:
      *static_cast<INT8*>(arg.pointer) = static_cast<INT8>(value);
      break;
    case ArgType::kWordOut:
      *static_cast<WORD*>(arg.pointer) = static_cast<WORD>(value);
      break;
    case ArgType::kUlongOut:
      *static_cast<ULONG*>(arg.pointer) = static_cast<ULONG>(value);
      break;
    default:
      break;
  }
}

// The items of an array parameter: its length times the rule's items per length, at most what the
// caller offered.
size_t ItemsOf(const ArrayRule& rule, const Arg* args, const Capacities& capacities, bool afterCall) {
  const Arg& length = args[rule.length];
  uint64_t count = 0;
  if (IsByValue(length.type)) {
    count = length.value;
  } else if (length.pointer != nullptr) {
    count = capacities.of[rule.length];
    if (afterCall) {
      count = std::min<uint64_t>(count, ReadScalar(length));
    }
  }
  return static_cast<size_t>(std::min<uint64_t>(count * static_cast<uint64_t>(rule.perCount), kMaxItems));
}

// The size parameter before a text buffer.
size_t TextSize(const Arg* args, size_t parameter) {
  if (parameter == 0 || !IsByValue(args[parameter - 1].type)) {
    return 0;
  }
  return static_cast<size_t>(std::min<uint64_t>(args[parameter - 1].value, kMaxText));
}

Value EncodeArray(const Arg& arg, size_t items) {
  if (arg.type == ArgType::kByteOut) {
    const auto* bytes = static_cast<const BYTE*>(arg.pointer);
    return Value::Bytes(std::vector<uint8_t>(bytes, bytes + items));
  }
  std::vector<int64_t> numbers;
  numbers.reserve(items);
  for (size_t i = 0; i < items; ++i) {
    if (arg.type == ArgType::kInt8Out) {
      numbers.push_back(static_cast<const INT8*>(arg.pointer)[i]);
    } else if (arg.type == ArgType::kUlongOut) {
      numbers.push_back(static_cast<const ULONG*>(arg.pointer)[i]);
    } else if (arg.type == ArgType::kWordOut) {
      numbers.push_back(static_cast<const WORD*>(arg.pointer)[i]);
    }
  }
  return Value::Numbers(std::move(numbers));
}

void ApplyArray(const Arg& arg, size_t capacityItems, const Value& value) {
  if (value.kind == Value::Kind::kBytes && arg.type == ArgType::kByteOut) {
    std::memcpy(arg.pointer, value.bytes.data(), std::min(capacityItems, value.bytes.size()));
    return;
  }
  if (value.kind != Value::Kind::kNumbers) {
    return;
  }
  const size_t items = std::min(capacityItems, value.numbers.size());
  for (size_t i = 0; i < items; ++i) {
    const int64_t n = value.numbers[i];
    switch (arg.type) {
      case ArgType::kInt8Out:
        static_cast<INT8*>(arg.pointer)[i] = static_cast<INT8>(n);
        break;
      case ArgType::kUlongOut:
        static_cast<ULONG*>(arg.pointer)[i] = static_cast<ULONG>(n);
        break;
      case ArgType::kWordOut:
        static_cast<WORD*>(arg.pointer)[i] = static_cast<WORD>(n);
        break;
      case ArgType::kByteOut:
        static_cast<BYTE*>(arg.pointer)[i] = static_cast<BYTE>(n);
        break;
      default:
        break;
    }
  }
}

}  // namespace

void ReadCapacities(std::string_view entryPoint, const Arg* args, size_t count, Capacities& capacities) {
  for (const ArrayRule& rule : kArrays) {
    if (entryPoint != rule.entryPoint || static_cast<size_t>(rule.length) >= count) {
      continue;
    }
    const Arg& length = args[rule.length];
    if (!IsByValue(length.type) && length.pointer != nullptr) {
      capacities.of[rule.length] = static_cast<uint32_t>(ReadScalar(length));
    }
  }
}

std::vector<Value> EncodeCall(std::string_view entryPoint, const Arg* args, size_t count,
                              const Capacities& capacities) {
  std::vector<Value> values;
  values.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    const Arg& arg = args[i];
    if (IsByValue(arg.type)) {
      values.push_back(Value::Number(static_cast<int64_t>(arg.value)));
      continue;
    }
    if (arg.pointer == nullptr) {
      values.push_back(Value::Null());
      continue;
    }
    if (IsSecret(entryPoint, i)) {
      values.push_back(Value::Secret());
      continue;
    }
    if (const ArrayRule* rule = ArrayOf(entryPoint, i)) {
      values.push_back(EncodeArray(arg, ItemsOf(*rule, args, capacities, true)));
      continue;
    }
    switch (arg.type) {
      case ArgType::kText: {
        const auto* text = static_cast<const char*>(arg.pointer);
        values.push_back(Value::Text(std::string(text, strnlen(text, kMaxText))));
        break;
      }
      case ArgType::kWideText: {
        const auto* text = static_cast<const char16_t*>(arg.pointer);
        size_t length = 0;
        while (length < kMaxText && text[length] != 0) {
          ++length;
        }
        values.push_back(Value::Text(platform::Narrow(std::u16string_view(text, length)), true));
        break;
      }
      case ArgType::kTextOut: {
        const auto* text = static_cast<const char*>(arg.pointer);
        values.push_back(Value::Text(std::string(text, strnlen(text, TextSize(args, i)))));
        break;
      }
      case ArgType::kWideTextOut: {
        const auto* text = static_cast<const char16_t*>(arg.pointer);
        const size_t size = TextSize(args, i);
        size_t length = 0;
        while (length < size && text[length] != 0) {
          ++length;
        }
        values.push_back(Value::Text(platform::Narrow(std::u16string_view(text, length)), true));
        break;
      }
      case ArgType::kFunction:
        values.push_back(Value::Number(1));
        break;
      default:
        values.push_back(Value::Number(static_cast<int64_t>(ReadScalar(arg))));
        break;
    }
  }
  return values;
}

bool InputsMatch(const Arg* args, size_t count, const std::vector<Value>& recorded) {
  if (recorded.size() != count) {
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    const Arg& arg = args[i];
    const Value& value = recorded[i];
    // The size of a text buffer is the caller's choice, not part of the question.
    const bool textSize = i + 1 < count && (args[i + 1].type == ArgType::kTextOut ||
                                            args[i + 1].type == ArgType::kWideTextOut);
    if (arg.type != ArgType::kUintptr && IsByValue(arg.type) && !textSize) {
      if (value.kind != Value::Kind::kNumber || static_cast<uint64_t>(value.number) != arg.value) {
        return false;
      }
    } else if (arg.type == ArgType::kText && value.kind != Value::Kind::kSecret) {
      const bool isNull = arg.pointer == nullptr;
      if (isNull != (value.kind == Value::Kind::kNull) ||
          (!isNull && (value.kind != Value::Kind::kText ||
                       value.text != std::string_view(static_cast<const char*>(arg.pointer),
                                                      strnlen(static_cast<const char*>(arg.pointer), kMaxText))))) {
        return false;
      }
    }
  }
  return true;
}

void ApplyOutputs(std::string_view entryPoint, const Arg* args, size_t count, const std::vector<Value>& recorded) {
  if (recorded.size() != count) {
    return;
  }
  Capacities capacities;
  ReadCapacities(entryPoint, args, count, capacities);
  // Arrays first, while their length parameters still hold what the caller offered.
  for (size_t i = 0; i < count; ++i) {
    const ArrayRule* rule = ArrayOf(entryPoint, i);
    if (rule != nullptr && args[i].pointer != nullptr && args[i].type != ArgType::kText) {
      ApplyArray(args[i], ItemsOf(*rule, args, capacities, false), recorded[i]);
    }
  }
  for (size_t i = 0; i < count; ++i) {
    const Arg& arg = args[i];
    const Value& value = recorded[i];
    if (IsByValue(arg.type) || arg.pointer == nullptr || ArrayOf(entryPoint, i) != nullptr) {
      continue;
    }
    switch (arg.type) {
      case ArgType::kTextOut: {
        const size_t size = TextSize(args, i);
        if (size > 0 && value.kind == Value::Kind::kText) {
          const size_t length = std::min(size - 1, value.text.size());
          std::memcpy(arg.pointer, value.text.data(), length);
          static_cast<char*>(arg.pointer)[length] = 0;
        }
        break;
      }
      case ArgType::kWideTextOut: {
        const size_t size = TextSize(args, i);
        if (size > 0 && value.kind == Value::Kind::kWideText) {
          const std::u16string text = platform::Widen(value.text);
          const size_t length = std::min(size - 1, text.size());
          std::memcpy(arg.pointer, text.data(), length * sizeof(char16_t));
          static_cast<char16_t*>(arg.pointer)[length] = 0;
        }
        break;
      }
      case ArgType::kByteOut:
      case ArgType::kInt8Out:
      case ArgType::kWordOut:
      case ArgType::kUlongOut:
        if (value.kind == Value::Kind::kNumber) {
          int64_t n = value.number;
          if (IsLengthOfArray(entryPoint, i)) {
            n = std::clamp<int64_t>(n, 0, capacities.of[i]);
          }
          WriteScalar(arg, n);
        }
        break;
      default:
        break;
    }
  }
}

std::string_view CallbackOfRegistration(std::string_view entryPoint) {
  static constexpr std::string_view kRecorded[] = {
      "SessionState", "ByteTotals",    "DataCapabilities", "ActivationStatus", "RoamingIndicator", "NewSMS",
      "SignalStrength", "Power",       "DeviceRemoval",    "NMEA",             "PDSState",
  };
  constexpr std::string_view kSet = "Set";
  constexpr std::string_view kCallback = "Callback";
  if (entryPoint.size() <= kSet.size() + kCallback.size() || entryPoint.substr(0, kSet.size()) != kSet ||
      entryPoint.substr(entryPoint.size() - kCallback.size()) != kCallback) {
    return {};
  }
  const std::string_view name = entryPoint.substr(kSet.size(), entryPoint.size() - kSet.size() - kCallback.size());
  for (const std::string_view recorded : kRecorded) {
    if (name == recorded) {
      return recorded;
    }
  }
  return {};
}

}  // namespace veskrec
