// Signal strength helpers shared by the signal callback and device information gathering.
#pragma once

#include <cstdint>

#include "facade/vendor_api.h"

class IHostTraceLog;

// The percent (0 to 100) the host shows for a signal strength in dBm: 0 at -112 dBm and below, 100 at
// -64 dBm and above, a fixed curve in between.
int32_t SignalStrengthToPercent(int32_t dbm);

// Traces one signal strength with the name of its radio interface (level 4; level 2 for an interface
// code the library should not report). Any thread.
void LogRadioInterfaceSignal(IHostTraceLog* traceLog, int32_t category, INT8 dbm, ULONG radioInterface);
