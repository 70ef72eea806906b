#include "host/kit/field_text.h"

#include <string_view>

#include "platform/text.h"

namespace hostkit {

std::string FieldText(const HostText& field) {
  std::size_t length = 0;
  while (length < kHostTextLength && field[length] != u'\0') {
    ++length;
  }
  return platform::Narrow(std::u16string_view(field, length));
}

}  // namespace hostkit
