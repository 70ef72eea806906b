// Conversion between the module's wide text (UTF-16) and narrow text (UTF-8 on this platform).
// Invalid input (bad UTF-8 sequences, unpaired surrogates) becomes U+FFFD; nothing is cut short.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::u16string Widen(std::string_view narrow);
std::u16string Widen(std::string_view narrow, bool* valid);
std::string Narrow(std::u16string_view wide);
std::string Narrow(std::u16string_view wide, bool* valid);

// Zero-terminated forms; a null pointer converts to an empty string.
std::u16string Widen(const char* narrow);
std::string Narrow(const char16_t* wide);

}  // namespace platform
