// The device-interface-name to instance-ID conversion on any UTF-16 text, and its round trip with
// the name the device tree gives an instance ID.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/discarding_trace_log.h"
#include "netutil/device_info_helper.h"
#include "platform/composite_modem_tree.h"
#include "platform/in_memory_device_tree.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static DiscardingTraceLog traceLog;
  static NetUtilities::DeviceInfoHelper helper(&traceLog, 1, std::make_shared<platform::InMemoryDeviceTree>());
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }

  std::u16string id = u"unchanged";
  if (helper.InterfaceNameToInstanceId(text, id)) {
    // What lies between the prefix and the class GUID, with no '#' left in it.
    if (id.size() + 6 > text.size() || id.find(u'#') != std::u16string::npos) {
      std::abort();
    }
  } else if (id != u"unchanged") {
    std::abort();
  }

  // An instance ID without '#' (which the name cannot tell from '\') and without "\{" (which would
  // end it early) comes back unchanged.
  if (text.find(u'#') == std::u16string::npos && text.find(u"\\{") == std::u16string::npos) {
    std::u16string back;
    if (!helper.InterfaceNameToInstanceId(platform::DeviceInterfaceName(text), back) || back != text) {
      std::abort();
    }
  }
  return 0;
}
