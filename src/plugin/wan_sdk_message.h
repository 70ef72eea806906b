// One notification on its way to the host.
#pragma once

#include <cstdint>

struct WanSdkMessage {
  int32_t code;
  uintptr_t param1;  // meaning fixed by the poster; never dereferenced on the way
  uintptr_t param2;
};
