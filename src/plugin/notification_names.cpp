#include "plugin/notification_names.h"

#include <array>
#include <string>

#include "platform/text.h"
#include "vesk/notifications.h"

namespace {

constexpr int32_t kFirstCode = WWAN_NOTIFICATION_SDK_INITIALIZING;
constexpr int32_t kLastCode = WWAN_NOTIFICATION_GPS_INFO_CHANGED;
using NameArray = std::array<std::u16string, kLastCode - kFirstCode + 1>;

// The host contract's names, widened once and indexed by code (every notification looks its name up
// twice); read-only afterwards, so any thread may look up.
const NameArray& NameTable() {
  static const NameArray table = [] {
    NameArray names;
    for (int32_t code = kFirstCode; code <= kLastCode; ++code) {
      names[static_cast<std::size_t>(code - kFirstCode)] = platform::Widen(NotificationName(code));
    }
    return names;
  }();
  return table;
}

}  // namespace

const char16_t* GetNotificationName(int32_t code) {
  if (code < kFirstCode || code > kLastCode) {
    return u"";
  }
  return NameTable()[static_cast<std::size_t>(code - kFirstCode)].c_str();
}
