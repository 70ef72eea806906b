#include "platform/utf8.h"

#include <cstdint>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Decodes one sequence at pos and advances pos. An ill-formed sequence yields one U+FFFD for its
// longest valid prefix and decoding resumes at the first byte that broke it, so that a stray lead
// byte never swallows the character after it. The narrower ranges for the second byte exclude
// overlongs, UTF-16 surrogates and values above U+10FFFF.
char32_t DecodeUtf8(std::string_view in, std::size_t& pos, bool& valid) {
  const auto byte = [&](std::size_t i) { return static_cast<uint8_t>(in[i]); };
  const uint8_t lead = byte(pos++);
  if (lead < 0x80) {
    return lead;
  }
  int continuations = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  char32_t cp = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    continuations = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    continuations = 2;
    cp = lead & 0x0F;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    continuations = 3;
    cp = lead & 0x07;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    valid = false;
    return kReplacement;
  }
  for (int i = 0; i < continuations; ++i) {
    if (pos >= in.size() || byte(pos) < low || byte(pos) > high) {
      valid = false;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(pos++) & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  return cp;
}

}  // namespace

std::u16string DecodeUtf8(std::string_view narrow, bool* valid) {
  std::u16string out;
  out.reserve(narrow.size());
  bool ok = true;
  std::size_t pos = 0;
  while (pos < narrow.size()) {
    AppendUtf16(out, DecodeUtf8(narrow, pos, ok));
  }
  if (valid != nullptr) {
    *valid = ok;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view wide, bool* valid) {
  std::string out;
  out.reserve(wide.size());
  bool ok = true;
  for (std::size_t i = 0; i < wide.size(); ++i) {
    const char16_t unit = wide[i];
    char32_t cp = unit;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (wide[i + 1] - 0xDC00));
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      cp = kReplacement;
      ok = false;
    }
    AppendUtf8(out, cp);
  }
  if (valid != nullptr) {
    *valid = ok;
  }
  return out;
}

}  // namespace platform
