// The module's one exported function.
#include <new>

#include "device/vesk_sdk.h"
#include "vesk/host_interfaces.h"

extern "C" ICellularSDK* ConstructSDK(IHostNotificationSink* notificationSink, IHostTraceLog* traceLog,
                                      IPowerStateSource* powerStateSource) {
  if (notificationSink == nullptr || traceLog == nullptr || powerStateSource == nullptr) {
    return nullptr;
  }
  // No exception may cross into the host: an allocation failure anywhere in construction is null.
  try {
    CVeskSDK* sdk = new CVeskSDK(notificationSink, traceLog, powerStateSource);
    return static_cast<ICellularSDK*>(sdk);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
