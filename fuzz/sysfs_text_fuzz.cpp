// The sysfs device tree's text handling on any bytes: uevent files, attribute values, device paths,
// the natural order of folder names and the text that goes into node records.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/posix/sysfs_text.h"

namespace {

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  using namespace platform::sysfs;

  for (const auto& [key, value] : ParseUevent(text)) {
    Check(!key.empty() && key.find('=') == std::string::npos && key.find('\n') == std::string::npos &&
          value.find('\n') == std::string::npos);
  }

  const std::string trimmed = TrimLineEnd(text);
  Check(text.compare(0, trimmed.size(), trimmed) == 0);
  Check(trimmed.empty() || std::string_view(" \t\r\n").find(trimmed.back()) == std::string_view::npos);

  if (IsDevicePath(text)) {
    Check(text.rfind("/devices/", 0) == 0 && text.find("//") == std::string::npos && text.back() != '/' &&
          text.find("/../") == std::string::npos && text.find('\0') == std::string::npos);
  }

  const std::u16string clean = CleanText(text);
  Check(clean.size() <= 255);
  for (char16_t c : clean) {
    Check(c >= 0x20 && c != 0x7F);
  }
  Check(clean.empty() || clean.back() < 0xD800 || clean.back() > 0xDBFF);

  // A strict weak order: irreflexive, asymmetric, transitive, on three names cut from the input.
  const std::size_t first = text.find('\0');
  const std::size_t second = first == std::string::npos ? first : text.find('\0', first + 1);
  const std::string a = text.substr(0, first);
  const std::string b = first == std::string::npos ? std::string() : text.substr(first + 1, second - first - 1);
  const std::string c = second == std::string::npos ? std::string() : text.substr(second + 1);
  Check(!NaturalLess(a, a));
  Check(!(NaturalLess(a, b) && NaturalLess(b, a)));
  if (NaturalLess(a, b) && NaturalLess(b, c)) {
    Check(NaturalLess(a, c));
  }
  // Incomparable names must stay incomparable with a third alike.
  const bool abEqual = !NaturalLess(a, b) && !NaturalLess(b, a);
  const bool bcEqual = !NaturalLess(b, c) && !NaturalLess(c, b);
  if (abEqual && bcEqual) {
    Check(!NaturalLess(a, c) && !NaturalLess(c, a));
  }
  return 0;
}
