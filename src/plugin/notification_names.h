// The wide name of a notification code, for the module's trace lines.
#pragma once

#include <cstdint>

// The code's name ("WWAN_NOTIFICATION_RSSI"), or an empty text for a code without one. The pointer
// stays valid for the life of the process.
const char16_t* GetNotificationName(int32_t code);
