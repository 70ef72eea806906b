// The host kit's printf-convention formatter with a format from the input and arguments of exactly
// the types its directives read, derived by walking the format the way the formatter does.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/kit/formatter.h"

namespace {

// One kind per type the formatter takes off the list (signedness aside, which va_arg allows).
enum class Kind { kInt, kLongLong, kLong, kDouble, kLongDouble, kNarrow, kWide, kPointer };

// Arguments a format may take; a directive that would need more cuts the format before it.
constexpr std::size_t kMaxArgs = 3;

template <typename Char>
bool IsFloating(Char c) {
  switch (c) {
    case 'f': case 'F': case 'e': case 'E': case 'g': case 'G': case 'a': case 'A':
      return true;
    default:
      return false;
  }
}

enum class Length { kNone, kShort, kLong, kInt64, kSize, kLongDouble, kWide, kOther };

// The kinds the format's directives read, in order; format is cut where a further one would exceed
// kMaxArgs.
template <typename Char>
std::vector<Kind> ArgumentKinds(std::basic_string<Char>& format) {
  constexpr bool wideFormat = sizeof(Char) == 2;
  std::vector<Kind> kinds;
  std::size_t p = 0;
  const auto at = [&format](std::size_t i) -> Char { return i < format.size() ? format[i] : Char(0); };
  while (p < format.size()) {
    if (format[p] != '%') {
      ++p;
      continue;
    }
    const std::size_t start = p++;
    if (at(p) == '%') {
      ++p;
      continue;
    }
    std::vector<Kind> directive;
    while (at(p) == '-' || at(p) == '+' || at(p) == ' ' || at(p) == '#' || at(p) == '0') ++p;
    if (at(p) == '*') {
      directive.push_back(Kind::kInt);
      ++p;
    } else {
      while (at(p) >= '0' && at(p) <= '9') ++p;
    }
    if (at(p) == '.') {
      ++p;
      if (at(p) == '*') {
        directive.push_back(Kind::kInt);
        ++p;
      } else {
        while (at(p) >= '0' && at(p) <= '9') ++p;
      }
    }
    Length length = Length::kNone;
    switch (at(p)) {
      case 'h':
        ++p;
        length = Length::kShort;
        if (at(p) == 'h') {
          ++p;
          length = Length::kOther;
        }
        break;
      case 'l':
        ++p;
        length = Length::kLong;
        if (at(p) == 'l') {
          ++p;
          length = Length::kInt64;
        }
        break;
      case 'I':
        if (at(p + 1) == '6' && at(p + 2) == '4') {
          p += 3;
          length = Length::kInt64;
        } else if (at(p + 1) == '3' && at(p + 2) == '2') {
          p += 3;
          length = Length::kOther;
        } else {
          ++p;
          length = Length::kSize;
        }
        break;
      case 'z': case 't': case 'j':
        ++p;
        length = Length::kSize;
        break;
      case 'L':
        ++p;
        length = Length::kLongDouble;
        break;
      case 'w':
        ++p;
        length = Length::kWide;
        break;
      default:
        break;
    }
    const Char conversion = at(p);
    if (conversion != 0) {
      ++p;
      const bool wideArg = length != Length::kShort &&
                           (length == Length::kLong || length == Length::kWide ||
                            ((conversion == 'S' || conversion == 'C') != wideFormat));
      if (length == Length::kLongDouble && !IsFloating(conversion)) {
        // copied through; only the starred width and precision were read
      } else if (conversion == 'd' || conversion == 'i' || conversion == 'u' || conversion == 'o' ||
                 conversion == 'x' || conversion == 'X') {
        directive.push_back(length == Length::kInt64 ? Kind::kLongLong
                            : length == Length::kSize ? Kind::kLong
                                                      : Kind::kInt);
      } else if (conversion == 'c' || conversion == 'C') {
        directive.push_back(Kind::kInt);
      } else if (conversion == 's' || conversion == 'S') {
        directive.push_back(wideArg ? Kind::kWide : Kind::kNarrow);
      } else if (conversion == 'p' || conversion == 'n') {
        directive.push_back(Kind::kPointer);
      } else if (IsFloating(conversion)) {
        directive.push_back(length == Length::kLongDouble ? Kind::kLongDouble : Kind::kDouble);
      }
    }
    if (kinds.size() + directive.size() > kMaxArgs) {
      format.resize(start);
      break;
    }
    kinds.insert(kinds.end(), directive.begin(), directive.end());
  }
  return kinds;
}

struct Values {
  std::vector<Kind> kinds;
  FuzzedDataProvider* input;
  std::vector<std::string> narrow;
  std::vector<std::u16string> wide;
};

template <typename Char, typename... T>
std::string Call(const Char* format, Values& values, std::size_t i, T... args) {
  if (i == values.kinds.size()) {
    if constexpr (sizeof(Char) == 1) {
      return hostkit::FormatA(format, args...);
    } else {
      return hostkit::FormatW(format, args...);
    }
  } else if constexpr (sizeof...(T) < kMaxArgs) {
    FuzzedDataProvider& in = *values.input;
    switch (values.kinds[i]) {
      case Kind::kInt:
        return Call(format, values, i + 1, args..., in.ConsumeIntegral<int>());
      case Kind::kLongLong:
        return Call(format, values, i + 1, args..., in.ConsumeIntegral<long long>());
      case Kind::kLong:
        return Call(format, values, i + 1, args..., in.ConsumeIntegral<long>());
      case Kind::kDouble:
        return Call(format, values, i + 1, args..., in.ConsumeFloatingPoint<double>());
      case Kind::kLongDouble:
        return Call(format, values, i + 1, args...,
                    static_cast<long double>(in.ConsumeFloatingPoint<double>()));
      case Kind::kNarrow: {
        const char* s = in.ConsumeBool() ? nullptr : values.narrow.emplace_back(in.ConsumeRandomLengthString(64)).c_str();
        return Call(format, values, i + 1, args..., s);
      }
      case Kind::kWide: {
        const char16_t* s = nullptr;
        if (!in.ConsumeBool()) {
          const std::string bytes = in.ConsumeRandomLengthString(128);
          std::u16string& text = values.wide.emplace_back();
          for (std::size_t b = 0; b + 1 < bytes.size(); b += 2) {
            text.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[b]) | static_cast<uint8_t>(bytes[b + 1]) << 8));
          }
          s = text.c_str();
        }
        return Call(format, values, i + 1, args..., s);
      }
      case Kind::kPointer:
        return Call(format, values, i + 1, args..., reinterpret_cast<const void*>(in.ConsumeIntegral<uintptr_t>()));
    }
  }
  std::abort();
}

// The first bytes are the format (narrow, or UTF-16 little-endian), the rest the argument values.
template <typename Char>
std::string Run(FuzzedDataProvider& input) {
  std::basic_string<Char> format;
  if constexpr (sizeof(Char) == 1) {
    format = input.ConsumeRandomLengthString(256);
  } else {
    const std::string bytes = input.ConsumeRandomLengthString(512);
    for (std::size_t b = 0; b + 1 < bytes.size(); b += 2) {
      format.push_back(static_cast<char16_t>(static_cast<uint8_t>(bytes[b]) | static_cast<uint8_t>(bytes[b + 1]) << 8));
    }
  }
  // The formatter stops at the terminator; so does the walk.
  format = format.c_str();
  Values values{ArgumentKinds(format), &input, {}, {}};
  values.narrow.reserve(kMaxArgs);
  values.wide.reserve(kMaxArgs);
  return Call(format.c_str(), values, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string text = input.ConsumeBool() ? Run<char16_t>(input) : Run<char>(input);
  // Widths are clamped: three directives cannot make more than a few tens of kilobytes.
  if (text.size() > 100000) {
    std::fprintf(stderr, "output of %zu bytes\n", text.size());
    std::abort();
  }
  return 0;
}
