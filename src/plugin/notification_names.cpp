#include "plugin/notification_names.h"

#include <map>
#include <string>

#include "platform/text.h"
#include "vesk/notifications.h"

namespace {

// The host contract's names, widened once; read-only afterwards, so any thread may look up.
const std::map<int32_t, std::u16string>& NameTable() {
  static const std::map<int32_t, std::u16string> table = [] {
    std::map<int32_t, std::u16string> names;
    for (int32_t code = WWAN_NOTIFICATION_SDK_INITIALIZING; code <= WWAN_NOTIFICATION_GPS_INFO_CHANGED;
         ++code) {
      const char* name = NotificationName(code);
      if (*name != '\0') {
        names.emplace(code, platform::Widen(name));
      }
    }
    return names;
  }();
  return table;
}

}  // namespace

const char16_t* GetNotificationName(int32_t code) {
  const auto& table = NameTable();
  const auto found = table.find(code);
  return found != table.end() ? found->second.c_str() : u"";
}
