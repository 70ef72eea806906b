// The one UTF-8 codec of the platform layer, so that invalid text reads the same everywhere: each
// ill-formed sequence becomes one U+FFFD for its longest valid prefix (unpaired surrogates likewise),
// and nothing is cut short. *valid (if given) tells whether the input was well-formed.
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::u16string DecodeUtf8(std::string_view narrow, bool* valid);
std::string EncodeUtf8(std::u16string_view wide, bool* valid);

}  // namespace platform
