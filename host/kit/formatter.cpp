#include "host/kit/formatter.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>
#include <utility>

#include "platform/text.h"

namespace hostkit {
namespace {

// Keeps one absurd width from turning a trace line into a huge allocation.
constexpr int kMaxField = 10000;

enum class Length { kNone, kChar, kShort, kLong, kInt32, kInt64, kSize, kMax, kLongDouble, kWide };

struct Directive {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool alt = false;
  bool zero = false;
  int width = 0;
  int precision = -1;  // none
  Length length = Length::kNone;
};

// A va_list inside a struct can be passed by reference on every ABI.
struct Args {
  va_list list;
};

bool IsContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Drops a UTF-8 sequence that a precision cut short.
size_t TrimIncompleteUtf8(const char* s, size_t n) {
  size_t i = n;
  size_t continuations = 0;
  while (i > 0 && continuations < 4 && IsContinuationByte(s[i - 1])) {
    --i;
    ++continuations;
  }
  if (i == 0) {
    return n;
  }
  const auto lead = static_cast<unsigned char>(s[i - 1]);
  size_t expected = 1;
  if (lead >= 0xC0 && lead <= 0xDF) {
    expected = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    expected = 3;
  } else if (lead >= 0xF0 && lead <= 0xF7) {
    expected = 4;
  }
  return continuations + 1 < expected ? i - 1 : n;
}

size_t CountCharacters(std::string_view text) {
  return static_cast<size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// Appends what snprintf makes of one conversion whose format this file built itself.
template <typename... T>
void AppendPrintf(std::string& out, const char* format, T... values) {
  const int needed = std::snprintf(nullptr, 0, format, values...);
  if (needed <= 0) {
    return;
  }
  const size_t old = out.size();
  out.resize(old + static_cast<size_t>(needed) + 1);
  std::snprintf(out.data() + old, static_cast<size_t>(needed) + 1, format, values...);
  out.resize(old + static_cast<size_t>(needed));
}

// "%<flags>*[.*]<length><conversion>": width and precision are passed as int arguments.
struct StdFormat {
  char text[16];
};

StdFormat MakeStdFormat(const Directive& directive, const char* length, char conversion) {
  StdFormat f{};
  size_t i = 0;
  // Every write is bounded, leaving room for the terminator; the longest format (five flags, ".*" and
  // a two-letter length) needs 12 characters.
  const auto put = [&f, &i](char c) {
    if (i + 1 < sizeof f.text) {
      f.text[i++] = c;
    }
  };
  put('%');
  const std::pair<bool, char> flags[] = {{directive.left, '-'},
                                         {directive.plus, '+'},
                                         {directive.space, ' '},
                                         {directive.alt, '#'},
                                         {directive.zero, '0'}};
  for (const auto& [on, flag] : flags) {
    if (on) {
      put(flag);
    }
  }
  put('*');
  if (directive.precision >= 0) {
    put('.');
    put('*');
  }
  for (const char* l = length; *l != '\0'; ++l) {
    put(*l);
  }
  put(conversion);
  f.text[i] = '\0';
  return f;
}

template <typename T>
void AppendStd(std::string& out, const Directive& directive, const char* length, char conversion, T value) {
  const StdFormat f = MakeStdFormat(directive, length, conversion);
  if (directive.precision >= 0) {
    AppendPrintf(out, f.text, directive.width, directive.precision, value);
  } else {
    AppendPrintf(out, f.text, directive.width, value);
  }
}

template <typename Char>
class Formatter {
 public:
  Formatter(const Char* format, va_list args) : p_(format) { va_copy(args_.list, args); }
  ~Formatter() { va_end(args_.list); }
  Formatter(const Formatter&) = delete;
  Formatter& operator=(const Formatter&) = delete;

  std::string Run() {
    if (p_ == nullptr) {
      return out_;
    }
    while (*p_ != 0) {
      if (*p_ != '%') {
        AppendLiteral(*p_++);
        continue;
      }
      const Char* start = p_++;
      if (*p_ == '%') {
        AppendLiteral(*p_++);
        continue;
      }
      Directive directive;
      ParseFlags(directive);
      ParseWidth(directive);
      ParsePrecision(directive);
      ParseLength(directive);
      if (*p_ == 0) {  // the format ended inside a directive
        AppendLiteralRange(start, p_);
        break;
      }
      const Char conversion = *p_++;
      if (!Convert(conversion, directive)) {
        AppendLiteralRange(start, p_);
      }
    }
    FlushLiteral();
    return std::move(out_);
  }

 private:
  static constexpr bool kWideFormat = std::is_same_v<Char, char16_t>;

  void ParseFlags(Directive& directive) {
    for (;; ++p_) {
      switch (*p_) {
        case '-':
          directive.left = true;
          break;
        case '+':
          directive.plus = true;
          break;
        case ' ':
          directive.space = true;
          break;
        case '#':
          directive.alt = true;
          break;
        case '0':
          directive.zero = true;
          break;
        default:
          return;
      }
    }
  }

  int ParseNumber() {
    int value = 0;
    while (*p_ >= '0' && *p_ <= '9') {
      value = std::min(kMaxField, value * 10 + static_cast<int>(*p_ - '0'));
      ++p_;
    }
    return value;
  }

  void ParseWidth(Directive& directive) {
    if (*p_ != '*') {
      directive.width = ParseNumber();
      return;
    }
    ++p_;
    const int width = va_arg(args_.list, int);
    if (width < 0) {
      directive.left = true;
      directive.width = width < -kMaxField ? kMaxField : -width;
    } else {
      directive.width = std::min(width, kMaxField);
    }
  }

  void ParsePrecision(Directive& directive) {
    if (*p_ != '.') {
      return;
    }
    ++p_;
    if (*p_ != '*') {
      directive.precision = ParseNumber();
      return;
    }
    ++p_;
    const int precision = va_arg(args_.list, int);
    directive.precision = precision < 0 ? -1 : std::min(precision, kMaxField);
  }

  void ParseLength(Directive& directive) {
    switch (*p_) {
      case 'h':
        ++p_;
        directive.length = Length::kShort;
        if (*p_ == 'h') {
          ++p_;
          directive.length = Length::kChar;
        }
        break;
      case 'l':
        ++p_;
        directive.length = Length::kLong;
        if (*p_ == 'l') {
          ++p_;
          directive.length = Length::kInt64;
        }
        break;
      case 'I':
        // Each test reads one further character only when the one before it matched.
        if (p_[1] == '6' && p_[2] == '4') {
          p_ += 3;
          directive.length = Length::kInt64;
        } else if (p_[1] == '3' && p_[2] == '2') {
          p_ += 3;
          directive.length = Length::kInt32;
        } else {
          ++p_;
          directive.length = Length::kSize;
        }
        break;
      case 'z':
      case 't':
        ++p_;
        directive.length = Length::kSize;
        break;
      case 'j':
        ++p_;
        directive.length = Length::kMax;
        break;
      case 'L':
        ++p_;
        directive.length = Length::kLongDouble;
        break;
      case 'w':
        ++p_;
        directive.length = Length::kWide;
        break;
      default:
        break;
    }
  }

  bool Convert(Char conversion, const Directive& directive) {
    if (directive.length == Length::kLongDouble && !IsFloating(conversion)) {
      return false;
    }
    switch (conversion) {
      case 'd':
      case 'i':
        FlushLiteral();
        AppendStd(out_, directive, "ll", 'd', ReadSigned(directive.length));
        return true;
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        FlushLiteral();
        AppendStd(out_, directive, "ll", static_cast<char>(conversion), ReadUnsigned(directive.length));
        return true;
      case 'c':
      case 'C':
        FlushLiteral();
        AppendCharacter(conversion, directive);
        return true;
      case 's':
      case 'S':
        FlushLiteral();
        AppendString(conversion, directive);
        return true;
      case 'p':
        FlushLiteral();
        AppendPointer(directive);
        return true;
      case 'n':
        // Never writes through the pointer; it is only taken off the list to keep later arguments in step.
        (void)va_arg(args_.list, void*);
        return true;
      default:
        break;
    }
    if (!IsFloating(conversion)) {
      return false;
    }
    FlushLiteral();
    if (directive.length == Length::kLongDouble) {
      AppendStd(out_, directive, "L", static_cast<char>(conversion), va_arg(args_.list, long double));
    } else {
      AppendStd(out_, directive, "", static_cast<char>(conversion), va_arg(args_.list, double));
    }
    return true;
  }

  static bool IsFloating(Char c) {
    switch (c) {
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'a':
      case 'A':
        return true;
      default:
        return false;
    }
  }

  long long ReadSigned(Length length) {
    switch (length) {
      case Length::kChar:
        return static_cast<signed char>(va_arg(args_.list, int));
      case Length::kShort:
        return static_cast<short>(va_arg(args_.list, int));
      case Length::kInt64:
        return va_arg(args_.list, long long);
      case Length::kSize:
        return va_arg(args_.list, ptrdiff_t);
      case Length::kMax:
        return va_arg(args_.list, intmax_t);
      default:
        return va_arg(args_.list, int);  // long is 32 bits in this convention
    }
  }

  unsigned long long ReadUnsigned(Length length) {
    switch (length) {
      case Length::kChar:
        return static_cast<unsigned char>(va_arg(args_.list, unsigned int));
      case Length::kShort:
        return static_cast<unsigned short>(va_arg(args_.list, unsigned int));
      case Length::kInt64:
        return va_arg(args_.list, unsigned long long);
      case Length::kSize:
        return va_arg(args_.list, size_t);
      case Length::kMax:
        return va_arg(args_.list, uintmax_t);
      default:
        return va_arg(args_.list, unsigned int);
    }
  }

  // An explicit h means narrow and l or w wide. Otherwise s and c take the format's own width, while
  // S and C take the other one (Windows' meaning: %S is a wide string in TraceA, a narrow one in TraceW).
  static bool IsWideArgument(Char conversion, Length length) {
    if (length == Length::kShort) {
      return false;
    }
    if (length == Length::kLong || length == Length::kWide) {
      return true;
    }
    const bool otherWidth = conversion == 'S' || conversion == 'C';
    return otherWidth != kWideFormat;
  }

  void AppendCharacter(Char conversion, const Directive& directive) {
    std::string text;
    if (IsWideArgument(conversion, directive.length)) {
      const auto c = static_cast<char16_t>(va_arg(args_.list, int));
      if (c != 0) {
        text = platform::Narrow(std::u16string_view(&c, 1));
      }
    } else {
      const auto c = static_cast<char>(va_arg(args_.list, int));
      if (c != 0) {
        text.assign(1, c);
      }
    }
    AppendPadded(text, directive);
  }

  void AppendString(Char conversion, const Directive& directive) {
    const size_t limit = directive.precision >= 0 ? static_cast<size_t>(directive.precision) : SIZE_MAX;
    std::string text;
    if (IsWideArgument(conversion, directive.length)) {
      const auto* s = va_arg(args_.list, const char16_t*);
      if (s == nullptr) {
        text = NullText(limit);
      } else {
        size_t n = 0;
        while (n < limit && s[n] != 0) {
          ++n;
        }
        if (n == limit && n > 0 && s[n - 1] >= 0xD800 && s[n - 1] <= 0xDBFF) {
          --n;  // the low half lies beyond the precision
        }
        text = platform::Narrow(std::u16string_view(s, n));
      }
    } else {
      const auto* s = va_arg(args_.list, const char*);
      if (s == nullptr) {
        text = NullText(limit);
      } else {
        size_t n = 0;
        while (n < limit && s[n] != '\0') {
          ++n;
        }
        if (n == limit) {
          n = TrimIncompleteUtf8(s, n);
        }
        text.assign(s, n);
      }
    }
    AppendPadded(text, directive);
  }

  static std::string NullText(size_t limit) { return std::string("(null)").substr(0, limit); }

  void AppendPointer(const Directive& directive) {
    const auto value = reinterpret_cast<uintptr_t>(va_arg(args_.list, void*));
    std::string text;
    AppendPrintf(text, "%0*llX", static_cast<int>(sizeof(void*) * 2), static_cast<unsigned long long>(value));
    AppendPadded(text, directive);
  }

  void AppendPadded(const std::string& text, const Directive& directive) {
    const size_t characters = CountCharacters(text);
    const size_t width = static_cast<size_t>(directive.width);
    const size_t padding = characters < width ? width - characters : 0;
    if (!directive.left) {
      out_.append(padding, ' ');
    }
    out_ += text;
    if (directive.left) {
      out_.append(padding, ' ');
    }
  }

  void AppendLiteral(Char c) {
    if constexpr (kWideFormat) {
      pendingLiteral_.push_back(c);
    } else {
      out_.push_back(c);
    }
  }

  void AppendLiteralRange(const Char* begin, const Char* end) {
    for (const Char* c = begin; c != end; ++c) {
      AppendLiteral(*c);
    }
  }

  // Wide literal text is converted in runs, so a surrogate pair in it stays one character.
  void FlushLiteral() {
    if constexpr (kWideFormat) {
      if (!pendingLiteral_.empty()) {
        out_ += platform::Narrow(pendingLiteral_);
        pendingLiteral_.clear();
      }
    }
  }

  const Char* p_;
  Args args_;
  std::string out_;
  std::u16string pendingLiteral_;
};

}  // namespace

std::string FormatTraceA(const char* format, va_list args) {
  return Formatter<char>(format, args).Run();
}

std::string FormatTraceW(const char16_t* format, va_list args) {
  return Formatter<char16_t>(format, args).Run();
}

std::string FormatA(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTraceA(format, args);
  va_end(args);
  return text;
}

std::string FormatW(const char16_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = FormatTraceW(format, args);
  va_end(args);
  return text;
}

}  // namespace hostkit
