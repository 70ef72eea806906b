#include "device/signal_strength.h"

#include <iterator>

#include "trace/trace.h"

namespace {

constexpr int32_t kWeakestTabledDbm = -112;
constexpr int32_t kStrongestTabledDbm = -64;

// One entry per dBm from -112 to -64.
constexpr int32_t kPercentOfDbm[] = {
    0,  2,  4,  6,  8,  11, 13, 16, 18,  21,  // -112 to -103
    23, 26, 28, 31, 33, 35, 37, 40, 42,  44,  // -102 to -93
    46, 49, 51, 53, 55, 57, 60, 62, 64,  66,  // -92 to -83
    69, 71, 73, 75, 76, 78, 80, 81, 83,  85,  // -82 to -73
    86, 88, 90, 91, 93, 95, 96, 98, 100,      // -72 to -64
};
static_assert(std::size(kPercentOfDbm) == kStrongestTabledDbm - kWeakestTabledDbm + 1);

}  // namespace

int32_t SignalStrengthToPercent(int32_t dbm) {
  if (dbm < kWeakestTabledDbm) {
    return 0;
  }
  if (dbm > kStrongestTabledDbm) {
    return 100;
  }
  return kPercentOfDbm[dbm - kWeakestTabledDbm];
}

void LogRadioInterfaceSignal(IHostTraceLog* traceLog, int32_t category, INT8 dbm, ULONG radioInterface) {
  static constexpr const char16_t* kSignalOfInterface[] = {
      u"no service signal strength '%d' dBm",   u"CDMA 1xRTT signal strength '%d' dBm",
      u"CDMA 1xEV-DO signal strength '%d' dBm", u"AMPS signal strength '%d' dBm",
      u"GSM signal strength '%d' dBm",          u"UMTS signal strength '%d' dBm",
  };
  const int32_t strength = dbm;
  if (radioInterface < std::size(kSignalOfInterface)) {
    TraceDeviceMessage(traceLog, category, kTraceLevelInfo, kSignalOfInterface[radioInterface], strength);
  } else {
    TraceDeviceMessage(traceLog, category, kTraceLevelError,
                       u"unknown interface type (%d) signal strength '%d' dBm", radioInterface, strength);
  }
}
