#include "platform/text.h"

#include "platform/utf8.h"

namespace platform {

std::u16string Widen(std::string_view narrow, bool* valid) {
  return DecodeUtf8(narrow, valid);
}

std::string Narrow(std::u16string_view wide, bool* valid) {
  return EncodeUtf8(wide, valid);
}

std::u16string Widen(std::string_view narrow) {
  return Widen(narrow, nullptr);
}

std::u16string Widen(const char* narrow) {
  return narrow == nullptr ? std::u16string() : Widen(std::string_view(narrow), nullptr);
}

std::string Narrow(std::u16string_view wide) {
  return Narrow(wide, nullptr);
}

std::string Narrow(const char16_t* wide) {
  return wide == nullptr ? std::string() : Narrow(std::u16string_view(wide), nullptr);
}

}  // namespace platform
