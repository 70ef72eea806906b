// UTF-8 and UTF-16 conversion: valid text survives a round trip unchanged, invalid text is reported
// and comes out as well-formed text with U+FFFD in it. The validity verdicts are checked against a
// plain reading of the encodings' rules.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/text.h"

namespace {

bool IsValidUtf8(std::string_view s) {
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<uint8_t>(s[i]);
    std::size_t n = 0;
    uint32_t cp = 0;
    uint32_t min = 0;
    if (b < 0x80) {
      ++i;
      continue;
    } else if ((b & 0xE0) == 0xC0) {
      n = 1, cp = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      n = 2, cp = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      n = 3, cp = b & 0x07, min = 0x10000;
    } else {
      return false;
    }
    if (i + n >= s.size()) {
      return false;
    }
    for (std::size_t k = 1; k <= n; ++k) {
      const auto c = static_cast<uint8_t>(s[i + k]);
      if ((c & 0xC0) != 0x80) {
        return false;
      }
      cp = cp << 6 | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    i += n + 1;
  }
  return true;
}

bool IsValidUtf16(std::u16string_view s) {
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] >= 0xD800 && s[i] <= 0xDBFF) {
      if (i + 1 >= s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) {
        return false;
      }
      ++i;
    } else if (s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The bytes as UTF-8.
  const std::string_view narrow(reinterpret_cast<const char*>(data), size);
  bool valid = false;
  const std::u16string wide = platform::Widen(narrow, &valid);
  Check(valid == IsValidUtf8(narrow));
  Check(IsValidUtf16(wide));
  if (valid) {
    Check(platform::Narrow(wide) == narrow);
  } else {
    Check(wide.find(u'\uFFFD') != std::u16string::npos);
  }

  // The same bytes as UTF-16, little-endian.
  std::u16string units;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  const std::string back = platform::Narrow(units, &valid);
  Check(valid == IsValidUtf16(units));
  Check(IsValidUtf8(back));
  if (valid) {
    Check(platform::Widen(back) == units);
  } else {
    Check(back.find("\xEF\xBF\xBD") != std::string::npos);
  }
  return 0;
}
