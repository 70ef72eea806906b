#include "plugin/cached_cellular_info.h"

#include <algorithm>
#include <string>

void CopyCachedText(char16_t* field, std::size_t capacity, std::u16string_view text) {
  if (field == nullptr || capacity == 0) {
    return;
  }
  const std::size_t length = std::min(text.size(), capacity - 1);
  // move, not copy: the text may come from the field itself.
  if (length > 0) {
    std::char_traits<char16_t>::move(field, text.data(), length);
  }
  std::fill(field + length, field + capacity, u'\0');
}

void CopyCachedText(char16_t* field, std::size_t capacity, const char16_t* text) {
  CopyCachedText(field, capacity, text == nullptr ? std::u16string_view() : std::u16string_view(text));
}

void SplitFirmwareRevision(std::u16string_view text, std::u16string* revision, std::u16string* tag) {
  constexpr std::u16string_view kSeparators = u"[]";
  std::u16string* const outputs[] = {revision, tag};
  std::size_t position = 0;
  for (std::u16string* output : outputs) {
    output->clear();
    const std::size_t start = text.find_first_not_of(kSeparators, position);
    if (start == std::u16string_view::npos) {
      continue;
    }
    const std::size_t end = std::min(text.find_first_of(kSeparators, start), text.size());
    output->assign(text.substr(start, end - start));
    position = end;
  }
}

std::u16string FormatNetworkCode(uint16_t mcc, uint16_t mnc) {
  const std::string narrow = std::to_string(mcc) + std::to_string(mnc);
  return std::u16string(narrow.begin(), narrow.end());
}
