// This file must contain only Win32 code.
#include "platform/text.h"

#include <windows.h>

#include <climits>

#include "platform/utf8.h"

namespace platform {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

// The narrow text is UTF-8, as the vendor library's and the trace formats are on every platform.
// The system converts well-formed text (its strict mode fails on anything else); ill-formed text goes
// to the shared codec, since how many U+FFFD the system puts for a bad sequence differs between
// Windows versions (and Wine), and trace lines should read the same everywhere.
std::u16string WidenUtf8(std::string_view narrow, bool* valid) {
  if (valid != nullptr) {
    *valid = true;
  }
  if (narrow.empty()) {
    return std::u16string();
  }
  if (narrow.size() > static_cast<std::size_t>(INT_MAX)) {
    return DecodeUtf8(narrow, valid);  // beyond what the system converts in one call
  }
  const int length = static_cast<int>(narrow.size());
  const int needed = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), length, nullptr, 0);
  if (needed == 0) {
    return DecodeUtf8(narrow, valid);
  }
  std::u16string wide(static_cast<std::size_t>(needed), u'\0');
  const int written = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, narrow.data(), length,
                                          reinterpret_cast<wchar_t*>(wide.data()), needed);
  wide.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return wide;
}

std::string NarrowUtf8(std::u16string_view wide, bool* valid) {
  if (valid != nullptr) {
    *valid = true;
  }
  if (wide.empty()) {
    return std::string();
  }
  if (wide.size() > static_cast<std::size_t>(INT_MAX / 3)) {
    return EncodeUtf8(wide, valid);  // its UTF-8 might not fit the system's int
  }
  const auto* in = reinterpret_cast<const wchar_t*>(wide.data());
  const int length = static_cast<int>(wide.size());
  const int needed = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, length, nullptr, 0, nullptr, nullptr);
  if (needed == 0) {
    return EncodeUtf8(wide, valid);
  }
  std::string narrow(static_cast<std::size_t>(needed), '\0');
  const int written =
      WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, in, length, narrow.data(), needed, nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(written > 0 ? written : 0));
  return narrow;
}

}  // namespace

std::u16string Widen(std::string_view narrow, bool* valid) {
  return WidenUtf8(narrow, valid);
}

std::u16string Widen(std::string_view narrow) {
  return WidenUtf8(narrow, nullptr);
}

std::u16string Widen(const char* narrow) {
  return narrow == nullptr ? std::u16string() : WidenUtf8(std::string_view(narrow), nullptr);
}

std::string Narrow(std::u16string_view wide, bool* valid) {
  return NarrowUtf8(wide, valid);
}

std::string Narrow(std::u16string_view wide) {
  return NarrowUtf8(wide, nullptr);
}

std::string Narrow(const char16_t* wide) {
  return wide == nullptr ? std::string() : NarrowUtf8(std::u16string_view(wide), nullptr);
}

}  // namespace platform
