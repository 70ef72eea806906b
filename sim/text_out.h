// Filling the callers' text buffers the way the library's contract says: zero-terminated and cut to
// the size the caller gave; nothing written for a null buffer or a size of 0.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vesksim {

void CopyText(std::string_view text, size_t size, char* out);
void CopyText(std::u16string_view text, size_t size, char16_t* out);

// UTF-8 <-> UTF-16 for paths; invalid input becomes U+FFFD.
std::u16string ToUtf16(std::string_view text);
std::string ToUtf8(std::u16string_view text);

// A zero-terminated wide text, null giving an empty one.
std::u16string FromWide(const char16_t* text);

}  // namespace vesksim
