// The host's trace-line formatter: the Windows printf convention that the module's trace calls follow,
// producing UTF-8 text. Used by the reference host and the tests' recording trace log.
//
// Conversions: d i u x X o c p f F e E g G a A s S %% with the flags - + space # 0, a width and a
// precision (either may be *). Length modifiers: hh, h, l and I32 (32 bits: %ld reads an int32_t), ll
// and I64 (64 bits), I, z, t (pointer size), j (intmax_t), L (long double, floating only), w (wide
// string or character).
//
// Strings: in a narrow format %s and %hs read a UTF-8 const char*, %ls, %ws and %S a const char16_t*.
// In a wide format %s, %ls and %ws read a const char16_t*, %hs and %S a const char*. A null string
// prints "(null)". A precision limits the code units read from the argument (never splitting a
// character); a width counts characters of the output.
//
// %p prints the pointer's value as upper-case hex digits, zero-padded to the pointer's size. %n writes
// nothing (its pointer argument is skipped). Anything else after a % is copied through as it stands.
// Widths and precisions above 10000 are clamped. The format is never read past its terminator.
#pragma once

#include <cstdarg>
#include <string>

namespace hostkit {

// The text of a TraceA call. The caller's args stays usable (it is copied). A null format gives "".
std::string FormatTraceA(const char* format, va_list args);

// The text of a TraceW call.
std::string FormatTraceW(const char16_t* format, va_list args);

// The same with the arguments given directly.
std::string FormatA(const char* format, ...);
std::string FormatW(const char16_t* format, ...);

}  // namespace hostkit
